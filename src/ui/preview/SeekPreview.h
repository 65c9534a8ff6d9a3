#pragma once

#include "ui/WindowNames.h"

#include <QString>
#include <QWidget>

class QLabel;

namespace tavimo {

namespace media {
class PreviewSource;
struct PreviewFrame;
} // namespace media

// The picture above the player's seek bar: while the pointer is over the bar, this small tool
// window titled "プレビュー" shows the frame of the video nearest the time under the pointer,
// 160 pixels wide at the video's display aspect, with that time under it. It follows the
// pointer and hides when the pointer leaves the bar. Frames come from a PreviewSource, which
// decodes them on a worker of its own with a decoder of its own, never with the player's; a
// video that cannot be decoded shows no window.
class SeekPreview : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPictureWidth = 160;

    // A tool window of `owner` (the player window) over `bar`.
    SeekPreview(SeekBar& bar, QWidget* owner);
    ~SeekPreview() override;

    // The file the player plays now; empty while none plays. Pictures of another file end.
    void setVideo(const QString& path);
    const QString& video() const { return path_; }

    // The pointer is at x of the bar (what its mouse moves report).
    void hoverAt(int x);
    // The pointer left the bar: the window hides.
    void leave();

    // The time text of the frame asked for last, and its picture (for tests).
    QString timeText() const;
    QImage picture() const;

Q_SIGNALS:
    // A picture was shown (the window is visible with it).
    void pictureShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void frameReady(quint64 video, const media::PreviewFrame& frame);
    // Puts the window above the bar, centred on the pointer's place, within the screen.
    void follow();

    SeekBar& bar_;
    media::PreviewSource* source_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* time_ = nullptr;
    QString path_;
    int x_ = 0;             // the pointer on the bar
    qint64 asked_ = -1;     // the time asked for last, milliseconds
    bool hovering_ = false; // pictures arriving now are shown
};

} // namespace tavimo
