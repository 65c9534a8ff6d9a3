#include "media/VideoRect.h"

namespace tavimo::media {

QRect fitVideoRect(qint64 width, qint64 height, qint64 crop, QSize box) {
    const qint64 w = box.width(), h = box.height();
    const qint64 shownHeight = height - 2 * crop;
    if (width == 0 || shownHeight == 0)
        return QRect(0, 0, 120, 90);
    const qint64 r = shownHeight * 128 / width;
    // A negative or sub-1/128 proportion, or an empty box, has no rectangle (and would divide
    // by zero below).
    if (r <= 0 || w <= 0 || h <= 0)
        return {};
    qint64 left = 0, top = 0, right = w, bottom = h;
    if (h * 128 / w < r) { // fills the height
        const qint64 margin = w - h * 128 / r;
        left = margin / 2;
        right = w - margin / 2;
    } else { // fills the width
        const qint64 margin = h - w * r / 128;
        top = margin / 2;
        bottom = h - margin / 2;
    }
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

} // namespace tavimo::media
