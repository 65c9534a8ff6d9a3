#include "ui/WindowPlacement.h"

#include "ui/grid/ScrollBox.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

// A window of a grid and a status bar, as the book and album windows are.
class FittedWindow : public ::testing::Test {
protected:
    FittedWindow() {
        window.setCentralWidget(grid);
        window.statusBar()->showMessage(QStringLiteral("status"));
        window.resize(500, 300);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void fill(int n) {
        for (int i = 0; i < n; ++i)
            grid->addCell(QStringLiteral("cell %1").arg(i));
        grid->layOut();
    }
    int outerHeight() const { return window.frameGeometry().height(); }
    int workArea() const { return window.screen()->availableGeometry().height(); }

    // Enough room for the status bar and the frame, whatever the style draws.
    static constexpr int kChrome = 60;
    QMainWindow window;
    ScrollBox* grid = new ScrollBox(&window);
};

} // namespace

TEST_F(FittedWindow, TheWindowTakesTheHeightOfItsWholeRowsAndShowsThemWithoutScrolling) {
    // One row: shorter than before.
    fill(2);
    fitHeightToGrid(window, *grid, kChrome);
    EXPECT_EQ(outerHeight(), grid->contentBottom() + kChrome);
    EXPECT_LT(window.height(), 300);
    EXPECT_EQ(window.width(), 500);
    // Two rows: taller again, and still every cell in view.
    const int oneRow = outerHeight();
    fill(4);
    fitHeightToGrid(window, *grid, kChrome);
    EXPECT_GT(outerHeight(), oneRow);
    EXPECT_EQ(outerHeight(), grid->contentBottom() + kChrome);
    EXPECT_EQ(grid->verticalScrollBar()->maximum(), 0);
}

TEST_F(FittedWindow, ATallGridStopsAtTheWorkAreaAndAnEmptyOneChangesNothing) {
    fitHeightToGrid(window, *grid, kChrome);
    EXPECT_EQ(window.height(), 300);

    fill(2000);
    fitHeightToGrid(window, *grid, kChrome);
    EXPECT_EQ(outerHeight(), workArea());
    EXPECT_GT(grid->verticalScrollBar()->maximum(), 0) << "the rest scrolls";
}
