#include "ui/GridVideoCells.h"

#include "ui/ScrollBox.h"

namespace tavimo {

void GridVideoCells::clearCells() {
    grid_.clear();
}

void GridVideoCells::appendCell(const QString& title, const QByteArray& jpeg, int64_t bookmark,
                                int32_t count) {
    TVFPanel& cell = grid_.addCell(title);
    if (!jpeg.isEmpty())
        cell.SetPicture(CellPicture::fromJpeg(jpeg));
    cell.SetBookmark(bookmark);
    cell.SetPlayCount(count);
}

void GridVideoCells::removeCell(int index) {
    grid_.removeCell(index);
}

void GridVideoCells::exchangeCells(int i, int j) {
    grid_.swapCells(i, j);
}

void GridVideoCells::setCellPicture(int index, const QByteArray& jpeg) {
    if (TVFPanel* cell = grid_.cellAt(index))
        cell->SetPicture(jpeg.isEmpty() ? CellPicture() : CellPicture::fromJpeg(jpeg));
}

void GridVideoCells::setCellMarks(int index, int64_t bookmark, int32_t count) {
    if (TVFPanel* cell = grid_.cellAt(index)) {
        cell->SetBookmark(bookmark);
        cell->SetPlayCount(count);
    }
}

} // namespace tavimo
