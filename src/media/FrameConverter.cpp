#include "media/FrameConverter.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <QTransform>
#include <algorithm>
#include <cmath>

namespace tavimo::media {

FrameConverter::~FrameConverter() {
    sws_freeContext(scaler_);
}

namespace {

// Colour matrix and range of the source, so HD (BT.709) and full-range (JPEG) pictures keep
// their colours; untagged video of HD size is taken as BT.709 like players do.
void describeSource(SwsContext* scaler, const AVFrame* frame) {
    int space = frame->colorspace;
    if (space == AVCOL_SPC_UNSPECIFIED || space == AVCOL_SPC_RGB)
        space = frame->height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    const auto format = static_cast<AVPixelFormat>(frame->format);
    const bool fullRange = frame->color_range == AVCOL_RANGE_JPEG ||
                           format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P ||
                           format == AV_PIX_FMT_YUVJ444P;
    int* inTable = nullptr;
    int* outTable = nullptr;
    int inFull = 0, outFull = 0, brightness = 0, contrast = 0, saturation = 0;
    if (sws_getColorspaceDetails(scaler, &inTable, &inFull, &outTable, &outFull, &brightness,
                                 &contrast, &saturation) < 0)
        return; // an RGB source: nothing to describe
    sws_setColorspaceDetails(scaler, sws_getCoefficients(space), fullRange ? 1 : 0, outTable, 1,
                             brightness, contrast, saturation);
}

} // namespace

QImage FrameConverter::toImage(const AVFrame* frame, int width, int height, int rotation) {
    if (!frame || width <= 0 || height <= 0 || frame->width <= 0 || frame->height <= 0 ||
        qint64(width) * height > maxPicturePixels)
        return {};
    const auto format = static_cast<AVPixelFormat>(frame->format);
    scaler_ = sws_getCachedContext(scaler_, frame->width, frame->height, format, width, height,
                                   AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler_)
        return {};
    describeSource(scaler_, frame);
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    if (sws_scale(scaler_, frame->data, frame->linesize, 0, frame->height, planes, strides) <= 0)
        return {};
    if (rotation % 360 == 0)
        return image;
    return image.transformed(QTransform().rotate(rotation));
}

QSize displaySize(int width, int height, int sarNum, int sarDen, int rotation) {
    qint64 w = width, h = height;
    if (sarNum > 0 && sarDen > 0) {
        if (sarNum > sarDen)
            w = std::clamp<qint64>((w * sarNum + sarDen / 2) / sarDen, 1, 16384);
        else if (sarDen > sarNum)
            h = std::clamp<qint64>((h * sarDen + sarNum / 2) / sarNum, 1, 16384);
    }
    if (rotation == 90 || rotation == 270)
        std::swap(w, h);
    return {static_cast<int>(w), static_cast<int>(h)};
}

QSize fitInto(QSize size, QSize box) {
    if (size.isEmpty() || box.isEmpty())
        return {};
    const qint64 w = size.width(), h = size.height();
    // The full width unless the height it gives would not fit (the thumbnail's own rule).
    const qint64 c = h * box.width() / w;
    if (c > box.height() - 1)
        return {int(std::max<qint64>(1, w * box.height() / h)), box.height()};
    return {box.width(), int(std::max<qint64>(1, c))};
}

QSize boundedSize(QSize size) {
    const qint64 pixels = qint64(size.width()) * size.height();
    if (size.isEmpty() || pixels <= maxPicturePixels)
        return size;
    const double scale = std::sqrt(double(maxPicturePixels) / double(pixels));
    qint64 w = std::max<qint64>(1, qint64(size.width() * scale));
    qint64 h = std::max<qint64>(1, qint64(size.height() * scale));
    // A side rounded up to one pixel leaves the other one to hold the bound alone.
    if (w * h > maxPicturePixels) {
        if (h == 1)
            w = maxPicturePixels;
        else
            h = maxPicturePixels / w;
    }
    return {int(w), int(h)};
}

} // namespace tavimo::media
