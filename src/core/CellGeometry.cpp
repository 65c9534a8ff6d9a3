#include "core/CellGeometry.h"

#include <algorithm>

namespace tavimo {

namespace {

const CellGeometry kLarge{QSize(130, 128), QRect(5, 0, 120, 90), QRect(1, 92, 128, 36),
                          QRect(7, 72, 17, 17)};
const CellGeometry kSmall{QSize(90, 98), QRect(5, 0, 80, 60), QRect(1, 62, 88, 36),
                          QRect(7, 42, 17, 17)};

} // namespace

const CellGeometry& cellGeometry(int small) {
    return small == kSmallCells ? kSmall : kLarge;
}

QSize gridPitch(int small) {
    return small == kSmallCells ? QSize(94, 102) : QSize(134, 132);
}

QPoint GridLayout::cellTopLeft(int index) const {
    const QSize pitch = gridPitch(small);
    return QPoint(pitch.width() * (index % columns), pitch.height() * (index / columns) + 4);
}

QRect GridLayout::cellRect(int index) const {
    return QRect(cellTopLeft(index), cellGeometry(small).cell);
}

int GridLayout::rowCount() const {
    return cellCount <= 0 ? 0 : (cellCount - 1) / columns + 1;
}

int GridLayout::contentBottom() const {
    if (cellCount <= 0)
        return 0;
    return cellRect(cellCount - 1).bottom() + 1;
}

GridLayout::Range GridLayout::cellsInRows(int top, int bottom) const {
    Range range;
    if (cellCount <= 0 || bottom <= top)
        return range;
    const int pitchY = gridPitch(small).height();
    const int cellHeight = cellGeometry(small).cell.height();
    // Row r covers [r * pitchY + 4, r * pitchY + 4 + cellHeight).
    const int firstRow = std::max(0, (top - 4 - cellHeight) / pitchY);
    const int lastRow = std::max(0, (bottom - 4) / pitchY);
    range.first = std::min(cellCount, firstRow * columns);
    range.last = std::min(cellCount - 1, (lastRow + 1) * columns - 1);
    return range;
}

GridLayout layOutGrid(int count, int areaWidth, int areaHeight, int small) {
    GridLayout layout;
    layout.small = small;
    layout.cellCount = std::max(0, count);
    const QSize pitch = gridPitch(small);
    int width = areaWidth;
    if (layout.cellCount > 0) {
        const int firstColumns = std::max(1, width / pitch.width());
        const int rows = (layout.cellCount - 1) / firstColumns + 1;
        if (qint64(rows) * pitch.height() + 2 > areaHeight)
            width -= kScrollBarAllowance;
    }
    layout.columns = std::max(1, width / pitch.width());
    return layout;
}

int fittedWindowHeight(int lastCellBottom, int extra, int workAreaHeight) {
    return std::min(workAreaHeight, lastCellBottom + extra);
}

} // namespace tavimo
