#pragma once

#include <QWidget>
#include <optional>

namespace tavimo::media {
class MpvPlayer;
}

namespace tavimo::ui {

// The player's video area: draws the player's picture into the player's picture
// rectangle on black. With OpenGL it uses libmpv's OpenGL render API in a QOpenGLWidget;
// without (the offscreen platform, a broken driver, or by choice) libmpv's software renderer
// into a QImage. The player must use Output::Surface or Output::SilentSurface, and a surface
// must exist before files are loaded. A change of mode while a file plays brings its video
// back in the new view (libmpv drops the video when the old view lets go of its renderer).
// With a player whose libmpv did not start, the surface is black.
class VideoSurface : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Auto, OpenGL, Software };

    VideoSurface(media::MpvPlayer& mpv, Mode mode, QWidget* parent = nullptr);
    ~VideoSurface() override;

    // Auto takes OpenGL where a context can be made (the driver is asked once, the first
    // time); OpenGL falls back to Software when libmpv can't draw with it, and Auto takes
    // Software from then on.
    void setMode(Mode mode);
    Mode mode() const { return mode_; } // the mode in use: OpenGL or Software

    // True when OpenGL contexts can be made on this platform.
    static bool openGLAvailable();
    // How often this surface asked the driver whether OpenGL works.
    int openGLChecks() const { return openGLChecks_; }

Q_SIGNALS:
    void mouseReleased(Qt::MouseButton button);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void useSoftware();
    void retireView();
    // After a change of view: libmpv shows the open file's video again.
    void restoreVideo();

    media::MpvPlayer& mpv_;
    Mode mode_ = Mode::Software;
    QWidget* view_ = nullptr;
    int openGLChecks_ = 0;
    std::optional<bool> openGL_; // the driver's answer, once asked
};

} // namespace tavimo::ui
