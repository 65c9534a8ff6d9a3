#include "ui/GridAlbumCells.h"

#include "ui/ScrollBox.h"

namespace tavimo {

void GridAlbumCells::clearCells() {
    grid_.clear();
}

void GridAlbumCells::appendCell(const QString& name, const QByteArray& jpeg, bool folderSync) {
    TVFPanel& cell = grid_.addCell(name);
    cell.SetPicture(CellPicture::fromJpeg(jpeg));
    cell.SetSyncMark(folderSync);
}

void GridAlbumCells::removeCell(int index) {
    grid_.removeCell(index);
}

void GridAlbumCells::exchangeCells(int i, int j) {
    grid_.swapCells(i, j);
}

void GridAlbumCells::setCellName(int index, const QString& name) {
    if (TVFPanel* cell = grid_.cellAt(index))
        cell->SetTitle(name);
}

void GridAlbumCells::setCellPicture(int index, const QByteArray& jpeg) {
    if (TVFPanel* cell = grid_.cellAt(index))
        cell->SetPicture(CellPicture::fromJpeg(jpeg));
}

void GridAlbumCells::setCellFolderSync(int index, bool folderSync) {
    if (TVFPanel* cell = grid_.cellAt(index))
        cell->SetSyncMark(folderSync);
}

void GridAlbumCells::layOutCells() {
    grid_.layOut();
}

} // namespace tavimo
