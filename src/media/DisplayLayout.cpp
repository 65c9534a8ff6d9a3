#include "media/DisplayLayout.h"

#include "media/VideoRect.h"

#include <algorithm>

namespace tavimo::media {

QSize DisplayLayout::aspectNumbers(int choice, QSize ownSize, QSize current) {
    switch (choice) {
    case 0:
        return ownSize.isEmpty() ? current : ownSize;
    case 1:
        return {16, 9};
    case 2:
        return {720, 480};
    case 3:
        return {704, 480};
    case 4:
        return {640, 480};
    case 5:
        return {235, 100};
    case 6:
        return {185, 100};
    default:
        return {320, 240};
    }
}

int DisplayLayout::shownCrop() const {
    const qint64 w = numbers.width(), h = numbers.height(), rows = picture.height();
    if (crop <= 0 || rows <= 0 || w <= 0 || h <= 0)
        return 0;
    // Rows that must stay: two (a 4:2:0 picture has chroma in pairs of rows), and enough for
    // r = h x rows_left x 128 / (w x rows) to be at least 1.
    const qint64 forProportion = (w * rows + 128 * h - 1) / (128 * h);
    const qint64 keep = std::max<qint64>(2, forProportion);
    const qint64 canLose = std::max<qint64>(0, (rows - keep) / 2);
    return int(std::min<qint64>(crop, canLose));
}

QRect DisplayLayout::source() const {
    const int c = shownCrop();
    if (c == 0)
        return {};
    return QRect(0, c, picture.width(), picture.height() - 2 * c);
}

QRect DisplayLayout::destination(QSize box) const {
    const qint64 rows = picture.height();
    const int c = shownCrop();
    if (c == 0 || rows <= 0)
        return fitVideoRect(numbers.width(), numbers.height(), 0, box);
    // W : H for the whole picture, scaled by its rows so that the cut is a whole number.
    const qint64 h = numbers.height();
    return fitVideoRect(numbers.width() * rows, h * rows, c * h, box);
}

} // namespace tavimo::media
