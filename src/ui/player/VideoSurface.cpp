#include "ui/player/VideoSurface.h"

#include "media/MpvPlayer.h"
#include "ui/player/GlVideoView.h"
#include "ui/player/SoftwareVideoView.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <mpv/client.h>

namespace tavimo::ui {

VideoSurface::VideoSurface(media::MpvPlayer& mpv, Mode mode, QWidget* parent)
    : QWidget(parent), mpv_(mpv) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    setMode(mode);
}

VideoSurface::~VideoSurface() = default;

bool VideoSurface::openGLAvailable() {
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return false;
    QOpenGLContext context;
    return context.create();
}

void VideoSurface::setMode(Mode mode) {
    if (mode == Mode::Auto) {
        // Making a context to ask costs time and, with some drivers, memory that stays.
        if (!openGL_) {
            ++openGLChecks_;
            openGL_ = openGLAvailable();
        }
        mode = *openGL_ ? Mode::OpenGL : Mode::Software;
    }
    if (!mpv_.available()) // no player: the surface stays black
        mode = Mode::Software;
    if (view_ && mode == mode_)
        return;
    const bool replacing = view_ != nullptr;
    retireView();
    mode_ = mode;
    if (!mpv_.available())
        return;
    if (mode == Mode::Software) {
        useSoftware();
        if (replacing)
            restoreVideo();
        return;
    }
    auto* gl = new GlVideoView(mpv_, this);
    connect(gl, &GlVideoView::failed, this, [this] {
        openGL_ = false;
        if (mode_ == Mode::OpenGL)
            setMode(Mode::Software);
    });
    if (replacing) // its renderer is made once the view is first shown
        connect(gl, &GlVideoView::attached, this, &VideoSurface::restoreVideo);
    view_ = gl;
    view_->setGeometry(rect());
    view_->show();
}

void VideoSurface::retireView() {
    if (!view_)
        return;
    // libmpv allows one render context per player: the old view lets go of its own at once.
    // The view itself goes later, since this may run inside one of its signals (failed).
    if (auto* gl = qobject_cast<GlVideoView*>(view_))
        gl->detach();
    else if (auto* software = qobject_cast<SoftwareVideoView*>(view_))
        software->detach();
    view_->hide();
    view_->disconnect(this);
    view_->deleteLater();
    view_ = nullptr;
}

void VideoSurface::restoreVideo() {
    // Only a file with a picture that plays: one whose video has no decoder stays without.
    if (!mpv_.handle() || mpv_.videoWidth() <= 0 || !mpv_.position(nullptr, nullptr))
        return;
    // The track choice itself stayed "auto": it is left and taken again to make libmpv
    // choose anew.
    for (const char* choice : {"no", "auto"})
        mpv_set_property_async(mpv_.handle(), 0, "vid", MPV_FORMAT_STRING, &choice);
}

void VideoSurface::useSoftware() {
    view_ = new SoftwareVideoView(mpv_, this);
    view_->setGeometry(rect());
    view_->show();
}

void VideoSurface::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (view_)
        view_->setGeometry(rect());
}

void VideoSurface::mouseReleaseEvent(QMouseEvent* event) {
    Q_EMIT mouseReleased(event->button());
    event->accept();
}

} // namespace tavimo::ui
