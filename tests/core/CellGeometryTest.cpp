#include "core/CellGeometry.h"

#include <gtest/gtest.h>

using namespace tavimo;

TEST(GridLayout, WideAreaWithRowsThatDoNotFitLeavesRoomForTheScrollBar) {
    // 632 wide, 407 high, 20 albums: 4 columns, 5 rows need 662 pixels, so 616 is used.
    const GridLayout layout = layOutGrid(20, 632, 407, kLargeCells);
    EXPECT_EQ(layout.columns, 4);
    EXPECT_EQ(layout.cellTopLeft(0), QPoint(0, 4));
    EXPECT_EQ(layout.cellTopLeft(5), QPoint(134, 136));
    EXPECT_EQ(layout.cellTopLeft(19), QPoint(402, 532));
    EXPECT_EQ(layout.rowCount(), 5);
    EXPECT_EQ(layout.contentBottom(), 4 * 132 + 4 + 128);
}

TEST(GridLayout, ScrollBarAllowanceCostsAColumnOnlyWhenRowsDoNotFit) {
    // 402 wide: 3 columns when the rows fit, 386 div 134 = 2 when they do not.
    EXPECT_EQ(layOutGrid(6, 402, 407, kLargeCells).columns, 3);
    EXPECT_EQ(layOutGrid(10, 402, 407, kLargeCells).columns, 2);
    // Exactly fitting rows (2 x 132 + 2 = 266) keep the full width.
    EXPECT_EQ(layOutGrid(6, 402, 266, kLargeCells).columns, 3);
    EXPECT_EQ(layOutGrid(6, 402, 265, kLargeCells).columns, 2);
}

TEST(GridLayout, SmallCellsUseTheirOwnPitch) {
    const GridLayout layout = layOutGrid(7, 300, 1000, kSmallCells);
    EXPECT_EQ(layout.columns, 3); // 300 div 94
    EXPECT_EQ(layout.cellTopLeft(4), QPoint(94, 106));
    EXPECT_EQ(layout.cellRect(4).size(), QSize(90, 98));
}

TEST(GridLayout, AreaNarrowerThanOnePitchStillGetsOneColumn) {
    for (int width : {0, 16, 100, 133}) {
        const GridLayout layout = layOutGrid(3, width, 50, kLargeCells);
        EXPECT_EQ(layout.columns, 1) << width;
        EXPECT_EQ(layout.cellTopLeft(2), QPoint(0, 268)) << width;
    }
    EXPECT_EQ(layOutGrid(3, -20, -5, kSmallCells).columns, 1);
}

TEST(GridLayout, CellsInRowsCoversEveryCellMeetingTheRows) {
    const GridLayout layout = layOutGrid(100, 536, 400, kLargeCells); // 4 columns
    for (int top : {0, 50, 131, 132, 136, 1000, 3000}) {
        const int bottom = top + 300;
        const GridLayout::Range range = layout.cellsInRows(top, bottom);
        for (int i = 0; i < 100; ++i) {
            const QRect r = layout.cellRect(i);
            const bool meets = r.bottom() >= top && r.top() < bottom;
            if (meets) {
                EXPECT_GE(i, range.first) << top;
                EXPECT_LE(i, range.last) << top;
            }
        }
        EXPECT_LE(range.last, 99);
    }
    EXPECT_GT(layout.cellsInRows(5000, 5400).first, layout.cellsInRows(5000, 5400).last);
}

TEST(GridLayout, FittedWindowHeightNeverExceedsTheWorkArea) {
    EXPECT_EQ(fittedWindowHeight(400, 70, 1040), 470);
    EXPECT_EQ(fittedWindowHeight(5000, 70, 1040), 1040);
}
