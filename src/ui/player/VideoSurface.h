#pragma once

#include <QWidget>

namespace tavimo::media {
class PlayerEngine;
}

namespace tavimo::ui {

// The player's video area: draws the engine's picture into the engine's destination
// rectangle on black. With OpenGL it uses libmpv's OpenGL render API in a QOpenGLWidget;
// without (the offscreen platform, a broken driver, or by choice) libmpv's software renderer
// into a QImage. The engine must use Output::Surface or Output::SilentSurface, and a surface
// must exist before files are rendered. A change of mode while a file plays brings its video
// back in the new view (libmpv drops the video when the old view lets go of its renderer).
// With an engine whose libmpv did not start, the surface is black.
class VideoSurface : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Auto, OpenGL, Software };

    VideoSurface(media::PlayerEngine& engine, Mode mode, QWidget* parent = nullptr);
    ~VideoSurface() override;

    // Auto takes OpenGL where a context can be made; OpenGL falls back to Software when
    // libmpv can't draw with it.
    void setMode(Mode mode);
    Mode mode() const { return mode_; } // the mode in use: OpenGL or Software

    // True when OpenGL contexts can be made on this platform.
    static bool openGLAvailable();

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

    media::PlayerEngine& engine_;
    Mode mode_ = Mode::Software;
    QWidget* view_ = nullptr;
};

} // namespace tavimo::ui
