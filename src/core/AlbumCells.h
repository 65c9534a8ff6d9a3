#pragma once

#include <QByteArray>
#include <QString>

namespace tavimo {

// Where the book shows its albums: the book window's grid. The book drives it so that the
// cells always stand in the order of the albums. Pictures are handed over as JPEG bytes
// (shared, not copied), which the grid decodes only for cells it draws.
class AlbumCells {
public:
    virtual ~AlbumCells() = default;

    virtual void clearCells() = 0;
    virtual void appendCell(const QString& name, const QByteArray& jpeg, bool folderSync) = 0;
    virtual void removeCell(int index) = 0;
    virtual void exchangeCells(int i, int j) = 0;
    virtual void setCellName(int index, const QString& name) = 0;
    virtual void setCellPicture(int index, const QByteArray& jpeg) = 0;
    virtual void setCellFolderSync(int index, bool folderSync) = 0;
    // Places the cells after a batch of changes.
    virtual void layOutCells() = 0;
};

} // namespace tavimo
