#pragma once

#include <QOpenGLWidget>
#include <atomic>
#include <memory>

class QOpenGLFramebufferObject;

struct mpv_render_context;

namespace tavimo::media {
class MpvPlayer;
}

namespace tavimo::ui {

// libmpv's OpenGL renderer in a QOpenGLWidget. The picture is drawn at the player's
// picture rectangle; the rest is black.
class GlVideoView : public QOpenGLWidget {
    Q_OBJECT
public:
    GlVideoView(media::MpvPlayer& mpv, QWidget* parent);
    ~GlVideoView() override;

    // Frees libmpv's render context now, for good, so that another view can make one while
    // this one waits for its deletion; the view draws black from then on.
    void detach();

Q_SIGNALS:
    void failed();   // libmpv can't draw with this OpenGL context
    void attached(); // libmpv draws here from now on

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void frameReady(void* self);
    void contextGoing(); // frees the render context with the OpenGL context current
    void release();

    media::MpvPlayer& mpv_;
    mpv_render_context* context_ = nullptr;
    std::atomic<bool> queued_{false};
    bool detached_ = false;
    QMetaObject::Connection contextWatch_;
    std::unique_ptr<QOpenGLFramebufferObject> picture_; // the picture rectangle's size
};

} // namespace tavimo::ui
