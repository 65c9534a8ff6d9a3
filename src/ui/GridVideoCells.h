#pragma once

#include "core/Album.h"

namespace tavimo {

class ScrollBox;

// The album window's grid as the open album's cells.
class GridVideoCells final : public VideoCells {
public:
    explicit GridVideoCells(ScrollBox& grid) : grid_(grid) {}

    void clearCells() override;
    void appendCell(const QString& title, const QByteArray& jpeg, int64_t bookmark,
                    int32_t count) override;
    void removeCell(int index) override;
    void exchangeCells(int i, int j) override;
    void setCellPicture(int index, const QByteArray& jpeg) override;
    void setCellMarks(int index, int64_t bookmark, int32_t count) override;

private:
    ScrollBox& grid_;
};

} // namespace tavimo
