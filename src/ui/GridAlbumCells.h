#pragma once

#include "core/AlbumCells.h"

namespace tavimo {

class ScrollBox;

// The book's albums shown as cells of the book window's grid.
class GridAlbumCells final : public AlbumCells {
public:
    explicit GridAlbumCells(ScrollBox& grid) : grid_(grid) {}

    void clearCells() override;
    void appendCell(const QString& name, const QByteArray& jpeg, bool folderSync) override;
    void removeCell(int index) override;
    void exchangeCells(int i, int j) override;
    void setCellName(int index, const QString& name) override;
    void setCellPicture(int index, const QByteArray& jpeg) override;
    void setCellFolderSync(int index, bool folderSync) override;
    void layOutCells() override;

private:
    ScrollBox& grid_;
};

} // namespace tavimo
