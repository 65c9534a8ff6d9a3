#include "ui/player/GlVideoView.h"

#include "media/MpvPlayer.h"

#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <mpv/client.h>
#include <mpv/render_gl.h>

namespace tavimo::ui {

namespace {

void* procAddress(void*, const char* name) {
    QOpenGLContext* gl = QOpenGLContext::currentContext();
    return gl ? reinterpret_cast<void*>(gl->getProcAddress(name)) : nullptr;
}

} // namespace

GlVideoView::GlVideoView(media::MpvPlayer& mpv, QWidget* parent)
    : QOpenGLWidget(parent), mpv_(mpv) {
    connect(&mpv_, &media::MpvPlayer::aboutToShutDown, this, &GlVideoView::contextGoing);
    connect(&mpv_, &media::MpvPlayer::pictureRectChanged, this, qOverload<>(&GlVideoView::update));
}

GlVideoView::~GlVideoView() {
    contextGoing();
    // QOpenGLWidget's own destructor destroys the context: this part is gone by then.
    disconnect(contextWatch_);
}

void GlVideoView::detach() {
    detached_ = true;
    contextGoing();
}

void GlVideoView::contextGoing() {
    makeCurrent();
    release();
    doneCurrent();
}

void GlVideoView::release() {
    picture_.reset();
    if (!context_)
        return;
    mpv_render_context_set_update_callback(context_, nullptr, nullptr);
    mpv_render_context_free(context_);
    context_ = nullptr;
}

void GlVideoView::initializeGL() {
    // The widget's OpenGL context may go (moved to another window): the render context goes
    // with it, and initializeGL makes a new one.
    disconnect(contextWatch_);
    contextWatch_ =
        connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GlVideoView::contextGoing);
    if (detached_ || !mpv_.handle())
        return;
    mpv_opengl_init_params init{&procAddress, nullptr};
    char api[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, api},
                                 {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&context_, mpv_.handle(), params) < 0) {
        context_ = nullptr;
        QMetaObject::invokeMethod(this, &GlVideoView::failed, Qt::QueuedConnection);
        return;
    }
    mpv_render_context_set_update_callback(context_, &GlVideoView::frameReady, this);
    QMetaObject::invokeMethod(this, &GlVideoView::attached, Qt::QueuedConnection);
}

void GlVideoView::frameReady(void* self) {
    auto* view = static_cast<GlVideoView*>(self);
    if (!view->queued_.exchange(true))
        QMetaObject::invokeMethod(
            view,
            [view] {
                view->queued_ = false;
                view->update();
            },
            Qt::QueuedConnection);
}

void GlVideoView::paintGL() {
    QOpenGLFunctions* gl = context()->functions();
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    if (!context_)
        return;
    // libmpv fills whatever framebuffer it is given: it draws into one of the picture rectangle's
    // size, which is then copied into place.
    const qreal ratio = devicePixelRatioF();
    const QRect dest = mpv_.pictureRect().isEmpty() ? rect() : mpv_.pictureRect();
    const QRect target(QPoint(qRound(dest.x() * ratio), qRound(dest.y() * ratio)),
                       QSize(qRound(dest.width() * ratio), qRound(dest.height() * ratio)));
    if (target.isEmpty())
        return;
    if (!picture_ || picture_->size() != target.size())
        picture_ = std::make_unique<QOpenGLFramebufferObject>(target.size());
    mpv_opengl_fbo fbo{static_cast<int>(picture_->handle()), target.width(), target.height(), 0};
    int flip = 1; // the same orientation as the widget's own framebuffer
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_render(context_, params);
    // Framebuffer rows count from the bottom.
    const int height = qRound(this->height() * ratio);
    const QRect into(target.x(), height - target.y() - target.height(), target.width(),
                     target.height());
    QOpenGLFramebufferObject::bindDefault();
    QOpenGLFramebufferObject::blitFramebuffer(nullptr, into, picture_.get(),
                                              QRect(QPoint(0, 0), target.size()));
    gl->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
}

} // namespace tavimo::ui
