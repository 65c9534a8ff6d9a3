#include "ui/VideoSurface.h"

#include "media/PlayerEngine.h"
#include "ui/GlVideoView.h"
#include "ui/SoftwareVideoView.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>

namespace tavimo::ui {

VideoSurface::VideoSurface(media::PlayerEngine& engine, Mode mode, QWidget* parent)
    : QWidget(parent), engine_(engine) {
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
    if (mode == Mode::Auto)
        mode = openGLAvailable() ? Mode::OpenGL : Mode::Software;
    if (view_ && mode == mode_)
        return;
    // libmpv allows one render context per player: the old view goes first.
    delete view_;
    view_ = nullptr;
    mode_ = mode;
    if (mode == Mode::Software) {
        useSoftware();
        return;
    }
    auto* gl = new GlVideoView(engine_, this);
    connect(gl, &GlVideoView::failed, this, [this] {
        if (mode_ == Mode::OpenGL)
            setMode(Mode::Software);
    });
    view_ = gl;
    view_->setGeometry(rect());
    view_->show();
}

void VideoSurface::useSoftware() {
    view_ = new SoftwareVideoView(engine_, this);
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
