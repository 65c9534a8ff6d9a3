#include "core/CapturePicture.h"

#include "core/Resampling.h"

namespace tavimo::capture {

QSize ownPictureSize(QSize videoSize, const QRect& crop) {
    if (crop.isValid() && QRect(QPoint(0, 0), videoSize).contains(crop))
        return crop.size();
    return videoSize;
}

QImage fromShownPicture(const QImage& shown, QSize ownSize, bool originalSize) {
    if (shown.isNull())
        return {};
    if (!originalSize)
        return shown.convertToFormat(QImage::Format_RGB888);
    return resampling::areaAverage(shown, ownSize);
}

QImage fromDecodedFrame(const QImage& frame, const QRect& crop, QSize shownSize,
                        bool originalSize) {
    if (frame.isNull())
        return {};
    QImage picture = frame;
    if (crop.isValid() && frame.rect().contains(crop) && crop != frame.rect())
        picture = frame.copy(crop);
    picture = picture.convertToFormat(QImage::Format_RGB888);
    if (originalSize)
        return picture;
    if (!resampling::lanczos3(picture, shownSize))
        return {};
    return picture;
}

} // namespace tavimo::capture
