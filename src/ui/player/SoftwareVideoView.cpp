#include "ui/player/SoftwareVideoView.h"

#include "media/MpvPlayer.h"

#include <QPainter>
#include <mpv/client.h>
#include <mpv/render.h>

namespace tavimo::ui {

SoftwareVideoView::SoftwareVideoView(media::MpvPlayer& mpv, QWidget* parent)
    : QWidget(parent), mpv_(mpv) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (!mpv_.handle())
        return; // libmpv did not start: black
    // The software picture is made at the picture rectangle's size: no margins inside it.
    for (const char* side : {"video-margin-ratio-left", "video-margin-ratio-right",
                             "video-margin-ratio-top", "video-margin-ratio-bottom"}) {
        double zero = 0;
        mpv_set_property_async(mpv_.handle(), 0, side, MPV_FORMAT_DOUBLE, &zero);
    }
    char api[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, api},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&context_, mpv_.handle(), params) < 0)
        context_ = nullptr;
    else
        mpv_render_context_set_update_callback(context_, &SoftwareVideoView::frameReady, this);
    connect(&mpv_, &media::MpvPlayer::aboutToShutDown, this, &SoftwareVideoView::detach);
    connect(&mpv_, &media::MpvPlayer::pictureRectChanged, this, [this] { renderFrame(true); });
}

SoftwareVideoView::~SoftwareVideoView() {
    detach();
}

void SoftwareVideoView::detach() {
    haveFrame_ = false;
    if (!context_)
        return;
    // After this no callback runs; freeing waits for libmpv to let go of the context.
    mpv_render_context_set_update_callback(context_, nullptr, nullptr);
    mpv_render_context_free(context_);
    context_ = nullptr;
}

void SoftwareVideoView::frameReady(void* self) {
    auto* view = static_cast<SoftwareVideoView*>(self);
    if (!view->queued_.exchange(true))
        QMetaObject::invokeMethod(
            view, [view] { view->renderFrame(false); }, Qt::QueuedConnection);
}

QRect SoftwareVideoView::target() const {
    const QRect dest = mpv_.pictureRect();
    return dest.isEmpty() ? rect() : dest;
}

void SoftwareVideoView::renderFrame(bool force) {
    queued_ = false;
    if (!context_)
        return;
    const bool fresh = (mpv_render_context_update(context_) & MPV_RENDER_UPDATE_FRAME) != 0;
    if (!fresh && !(force && haveFrame_))
        return;
    const QSize size = target().size();
    if (size.isEmpty())
        return;
    if (picture_.size() != size)
        picture_ = QImage(size, QImage::Format_RGB32);
    int dimensions[2] = {size.width(), size.height()};
    size_t stride = static_cast<size_t>(picture_.bytesPerLine());
    char format[] = "bgr0"; // Format_RGB32's bytes in memory
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, dimensions},
                                 {MPV_RENDER_PARAM_SW_FORMAT, format},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, picture_.bits()},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    haveFrame_ = mpv_render_context_render(context_, params) >= 0;
    freshFrame_ = freshFrame_ || (fresh && haveFrame_);
    update();
}

void SoftwareVideoView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    renderFrame(true);
}

void SoftwareVideoView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (haveFrame_ && mpv_.state() != media::MpvPlayer::Inactive) {
        painter.drawImage(target().topLeft(), picture_);
        if (freshFrame_) {
            freshFrame_ = false;
            Q_EMIT framePainted();
        }
    }
}

} // namespace tavimo::ui
