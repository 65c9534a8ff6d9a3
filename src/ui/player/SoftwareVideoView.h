#pragma once

#include <QImage>
#include <QWidget>
#include <atomic>

struct mpv_render_context;

namespace tavimo::media {
class MpvPlayer;
}

namespace tavimo::ui {

// libmpv's software renderer drawing into a QImage of the picture rectangle's size,
// painted on black. Used where OpenGL is missing.
class SoftwareVideoView : public QWidget {
    Q_OBJECT
public:
    SoftwareVideoView(media::MpvPlayer& mpv, QWidget* parent);
    ~SoftwareVideoView() override;

    // The rectangle the picture fills: the player's picture rectangle, else the whole view.
    QRect target() const;

    // Frees libmpv's render context now, for good, so that another view can make one while
    // this one waits for its deletion; the view draws black from then on.
    void detach();

Q_SIGNALS:
    // A picture that libmpv drew since the last paint has been painted (for measuring).
    void framePainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static void frameReady(void* self);
    void renderFrame(bool force);

    media::MpvPlayer& mpv_;
    mpv_render_context* context_ = nullptr;
    std::atomic<bool> queued_{false};
    QImage picture_;
    bool haveFrame_ = false;
    bool freshFrame_ = false; // drawn by libmpv and not painted yet
};

} // namespace tavimo::ui
