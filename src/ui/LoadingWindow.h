#pragma once

#include "core/ProgressSink.h"
#include "ui/WindowNames.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace tavimo {

// The small "loading" window with a progress bar, shown over the book window while a long job
// runs (the thumbnail migration, loading an album). Borderless and above other windows.
//
// Long jobs run off the interface thread and report here through the event loop, which keeps
// the window painted; StepProgress also repaints at once, so a caller that holds the interface
// thread for a moment still sees the bar move.
class TForm5 : public QWidget, public ProgressSink {
    Q_OBJECT
public:
    static constexpr int kWidth = 201;
    static constexpr int kHeight = 33;

    explicit TForm5(QWidget* bookWindow = nullptr, QWidget* albumWindow = nullptr);

    void setBookWindow(QWidget* bookWindow) { bookWindow_ = bookWindow; }
    void setAlbumWindow(QWidget* albumWindow) { albumWindow_ = albumWindow; }

    // Position 0, the bar's maximum, and the window shown. A maximum below 1 shows an empty bar.
    void BeginProgress(int maximum) override;
    // Sets the bar's position (a position past the maximum shows a full bar) and paints it.
    void StepProgress(int position) override;
    // Hides the window and brings a visible but inactive album window to the front.
    void EndProgress() override;

    int maximum() const { return maximum_; }
    int position() const { return position_; }
    QLabel* label() const { return label_; }
    QProgressBar* progressBar() const { return bar_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void placeOverBookWindow();

    QLabel* label_;
    QProgressBar* bar_;
    QPointer<QWidget> bookWindow_;
    QPointer<QWidget> albumWindow_;
    int maximum_ = 100;
    int position_ = 0;
};

} // namespace tavimo
