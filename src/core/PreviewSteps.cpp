#include "core/PreviewSteps.h"

#include <algorithm>

namespace tavimo::preview {

int stepAt(int x, int width) {
    if (width <= 0)
        return 0;
    return std::clamp(int(qint64(x) * kSteps / width), 0, kSteps - 1);
}

qint64 stepPosition(int step, qint64 duration) {
    const qint64 d = std::max<qint64>(duration, 0);
    const int s = std::clamp(step, 0, kSteps - 1);
    // In two parts, so that no length overflows on its way to the answer.
    return d / kSteps * s + d % kSteps * s / kSteps;
}

QRect stepBar(const QRect& picture, int step, int thickness) {
    if (picture.isEmpty() || thickness <= 0)
        return {};
    const int s = std::clamp(step, 0, kSteps - 1);
    const int left = picture.left() + picture.width() * s / kSteps;
    const int right = picture.left() + picture.width() * (s + 1) / kSteps;
    const int height = std::min(thickness, picture.height());
    return QRect(left, picture.bottom() - height + 1, std::max(1, right - left), height);
}

} // namespace tavimo::preview
