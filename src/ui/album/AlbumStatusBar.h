#pragma once

#include <QStatusBar>

class QLabel;
class QProgressBar;

namespace tavimo {

// The album window's status bar: two text panels, 370 and 270 wide, and a progress bar laid
// over the bar's right part while thumbnails are made or the album is sorted. Hints show over
// the panels while a control is pointed at.
class AlbumStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit AlbumStatusBar(QWidget* parent = nullptr);

    QLabel* panel(int i) const { return panels_[i]; }
    QProgressBar* progressBar() const { return progress_; }
    void setTexts(const QString& first, const QString& second);
    // What the first panel says whenever it has nothing else to say (an album that is open
    // read-only says why); empty for nothing.
    void setNotice(const QString& notice);

    // Started with a maximum, stepped (only positions 1 to 127), hidden at the end.
    void startProgress(int maximum);
    void stepProgress(int position);
    void endProgress();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeProgress();

    QLabel* panels_[2] = {nullptr, nullptr};
    QProgressBar* progress_ = nullptr;
    QString notice_;
};

} // namespace tavimo
