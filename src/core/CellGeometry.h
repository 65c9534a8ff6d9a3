#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tavimo {

// Size modes of a thumbnail cell and of a grid of cells.
inline constexpr int kLargeCells = 0; // 120 x 90 pictures
inline constexpr int kSmallCells = 1; // 80 x 60 pictures

// Where the parts of one thumbnail cell lie, relative to the cell's top-left corner.
struct CellGeometry {
    QSize cell;
    QRect picture;  // the picture button
    QRect caption;  // the caption, 36 pixels high, wrapped and centred
    QRect syncMark; // the folder-sync check box, over the picture's lower left
};

// The geometry of a cell in size mode `small` (anything but kSmallCells means large).
const CellGeometry& cellGeometry(int small);

// Distance from one cell to the next in a grid: the cell plus 4 free pixels right and below.
QSize gridPitch(int small);

// Room left for a vertical scroll bar when the rows do not fit the area's height.
inline constexpr int kScrollBarAllowance = 16;

// The arithmetic placement of a grid's cells. Cells are never widgets: their positions follow
// from the index, so placing 100,000 cells costs nothing.
struct GridLayout {
    int columns = 1;   // cells per row, never below 1
    int cellCount = 0; // cells placed by this layout
    int small = kLargeCells;

    // Top-left corner of cell i in the scrolled content's coordinates.
    QPoint cellTopLeft(int index) const;
    QRect cellRect(int index) const;
    int rowCount() const;
    // Bottom edge of the last placed cell (0 with no cells): what the scroll range follows.
    int contentBottom() const;
    // Indexes of the placed cells whose rows meet the content rows [top, bottom); empty when
    // first > last.
    struct Range {
        int first = 0;
        int last = -1;
    };
    Range cellsInRows(int top, int bottom) const;
};

// Lays out `count` cells in an area `areaWidth` x `areaHeight` (the scrolling area's outer
// size): the width allows for a scroll bar when the rows would not fit the height. An area
// narrower than one pitch still gets one column.
GridLayout layOutGrid(int count, int areaWidth, int areaHeight, int small);

// The height of a window that fits its grid: the bottom of the last cell (in the scrolling
// area's coordinates) plus `extra` for caption, menu and status bar, but never taller than the
// screen's work area.
int fittedWindowHeight(int lastCellBottom, int extra, int workAreaHeight);

} // namespace tavimo
