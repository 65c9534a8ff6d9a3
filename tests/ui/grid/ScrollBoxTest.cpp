#include "ui/grid/ScrollBox.h"

#include <QApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class ScrollBoxTest : public ::testing::Test {
protected:
    ScrollBox grid;

    void fill(int n) {
        for (int i = 0; i < n; ++i)
            grid.addCell(QStringLiteral("album %1").arg(i)).SetPlayCount(i);
    }
    QStringList titles() const {
        QStringList result;
        for (int i = 0; i < grid.count(); ++i)
            result << grid.cellAt(i)->title();
        return result;
    }
    void showActive(QSize size) {
        grid.resize(size);
        grid.show();
        grid.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    }
    QPoint pictureCentre(int index) const {
        return grid.cellRect(index).topLeft() + grid.cellAt(index)->geometry().picture.center();
    }
    QPoint captionCentre(int index) const {
        return grid.cellRect(index).topLeft() + grid.cellAt(index)->geometry().caption.center();
    }
};

} // namespace

TEST_F(ScrollBoxTest, AddedCellsTakeTheGridsSettingsAndTheNextIndex) {
    grid.setBackgroundColor(Qt::darkCyan);
    grid.setFontColor(Qt::white);
    grid.setSizeMode(kSmallCells);
    fill(3);
    ASSERT_EQ(grid.count(), 3);
    EXPECT_EQ(grid.lastIndex(), 2);
    const TVFPanel* cell = grid.cellAt(2);
    EXPECT_EQ(cell->index(), 2);
    EXPECT_EQ(cell->name(), QStringLiteral("vframe2"));
    EXPECT_EQ(cell->cellColor(), QColor(Qt::darkCyan));
    EXPECT_EQ(cell->fontColor(), QColor(Qt::white));
    EXPECT_EQ(cell->small(), kSmallCells);
    EXPECT_EQ(grid.cellAt(3), nullptr);
    EXPECT_EQ(grid.cellAt(-1), nullptr);
    // A cell is not placed before the grid is laid out.
    EXPECT_TRUE(grid.cellRect(0).isNull());
    grid.resize(400, 400);
    grid.layOut();
    EXPECT_EQ(grid.cellRect(0), QRect(0, 4, 90, 98));
}

TEST_F(ScrollBoxTest, RemovingMovesContentsDownAndSelectsTheCellInItsPlace) {
    fill(4);
    grid.cellAt(2)->SetSyncMark(true);
    grid.removeCell(1);
    EXPECT_EQ(titles(), QStringList({"album 0", "album 2", "album 3"}));
    EXPECT_EQ(grid.currentIndex(), 1);
    EXPECT_TRUE(grid.cellAt(1)->syncMark());
    EXPECT_FALSE(grid.cellAt(2)->syncMark());
    EXPECT_EQ(grid.cellAt(1)->playCount(), 2);
    EXPECT_EQ(grid.cellAt(2)->index(), 2);

    grid.removeCell(2); // the last one: the new last is selected
    EXPECT_EQ(grid.currentIndex(), 1);
    grid.removeCell(7); // out of range: nothing
    grid.removeCell(-1);
    EXPECT_EQ(grid.count(), 2);
    grid.removeCell(0);
    grid.removeCell(0);
    EXPECT_EQ(grid.count(), 0);
    EXPECT_EQ(grid.currentIndex(), -1);
    grid.removeCell(0);
}

TEST_F(ScrollBoxTest, SwapExchangesContentsOnlyForTwoDifferentValidCells) {
    fill(3);
    grid.swapCells(0, 2);
    EXPECT_EQ(titles(), QStringList({"album 2", "album 1", "album 0"}));
    EXPECT_EQ(grid.cellAt(0)->index(), 0);
    grid.swapCells(1, 1);
    grid.swapCells(1, 3);
    EXPECT_EQ(titles(), QStringList({"album 2", "album 1", "album 0"}));
    grid.clear();
    EXPECT_EQ(grid.count(), 0);
    EXPECT_EQ(grid.currentIndex(), -1);
}

TEST_F(ScrollBoxTest, LayoutOfTwentyAlbumsAllowsForTheScrollBar) {
    fill(20);
    grid.resize(632, 407);
    grid.show(); // lays out on its first resize
    EXPECT_EQ(grid.columns(), 4);
    EXPECT_EQ(grid.cellRect(5), QRect(134, 136, 130, 128));
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 4 * 132 + 132 - 407);
    // The last column stays clear of the scroll bar.
    EXPECT_LE(grid.cellRect(3).right(), grid.viewport()->width());

    grid.resize(100, 407); // no room for a single pitch: still one column, no crash
    QApplication::sendPostedEvents();
    EXPECT_EQ(grid.columns(), 1);
    EXPECT_EQ(grid.cellRect(2).topLeft(), QPoint(0, 268));
    grid.grab();
}

TEST_F(ScrollBoxTest, ArrowMovesStopAtTheEdges) {
    fill(10);
    grid.resize(536, 2000); // 4 columns, rows fit
    grid.layOut();
    ASSERT_EQ(grid.columns(), 4);
    EXPECT_FALSE(grid.selectNext()); // no current cell
    EXPECT_FALSE(grid.selectPrevious());
    grid.select(9);
    EXPECT_FALSE(grid.selectNext());
    EXPECT_FALSE(grid.selectDown()); // last row
    EXPECT_TRUE(grid.selectUp());
    EXPECT_EQ(grid.currentIndex(), 5);
    EXPECT_TRUE(grid.selectDown());
    EXPECT_EQ(grid.currentIndex(), 9);
    grid.select(6);
    EXPECT_FALSE(grid.selectDown()); // 10 is past the end
    grid.select(2);
    EXPECT_FALSE(grid.selectUp()); // first row
    grid.select(0);
    EXPECT_FALSE(grid.selectPrevious());
    EXPECT_TRUE(grid.selectNext());
    EXPECT_EQ(grid.currentIndex(), 1);
    grid.clear();
    EXPECT_FALSE(grid.selectDown());
}

TEST_F(ScrollBoxTest, MouseSelectsOpensAndClicksTheSyncMark) {
    fill(6);
    grid.cellAt(4)->SetSyncMark(true);
    showActive(QSize(536, 600));
    QSignalSpy pressed(&grid, &ScrollBox::cellPressed);
    QSignalSpy activated(&grid, &ScrollBox::cellActivated);
    QSignalSpy sync(&grid, &ScrollBox::syncMarkClicked);

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, pictureCentre(2));
    EXPECT_EQ(grid.currentIndex(), 2);
    EXPECT_TRUE(grid.hasFocus());
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).toInt(), 2);

    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, captionCentre(1));
    EXPECT_EQ(grid.currentIndex(), 1);
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(pressed.count(), 2);

    // The check box over cell 4's picture is not the picture.
    const QPoint box = grid.cellRect(4).topLeft() + grid.cellAt(4)->geometry().syncMark.center();
    EXPECT_EQ(grid.hitTest(box).part, ScrollBox::Part::SyncMark);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, box);
    ASSERT_EQ(sync.count(), 1);
    EXPECT_EQ(sync.at(0).at(0).toInt(), 4);
    EXPECT_EQ(activated.count(), 1);

    // Between the cells nothing happens.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(132, 60));
    EXPECT_EQ(grid.hitTest(QPoint(132, 60)).index, -1);
    EXPECT_EQ(pressed.count(), 2);
    EXPECT_EQ(grid.currentIndex(), 1);
}

TEST_F(ScrollBoxTest, TheHandShowsOverACellAndTheArrowOverTheEmptyArea) {
    fill(3);
    showActive(QSize(536, 600));
    auto moveTo = [&](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), grid.viewport()->mapToGlobal(QPointF(at)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &move);
        return grid.viewport()->cursor().shape();
    };
    EXPECT_EQ(moveTo(pictureCentre(1)), Qt::PointingHandCursor);
    EXPECT_EQ(moveTo(QPoint(50, 500)), Qt::ArrowCursor); // below the last row
    EXPECT_EQ(moveTo(captionCentre(2)), Qt::PointingHandCursor);
}

TEST_F(ScrollBoxTest, EnterOpensOnlyWhenItWentDownInTheGrid) {
    fill(3);
    showActive(QSize(536, 600));
    grid.select(1);
    QSignalSpy activated(&grid, &ScrollBox::cellActivated);
    QTest::keyRelease(&grid, Qt::Key_Return); // the release of an Enter pressed elsewhere
    EXPECT_EQ(activated.count(), 0);
    QTest::keyClick(&grid, Qt::Key_Return);
    QTest::keyClick(&grid, Qt::Key_Space);
    ASSERT_EQ(activated.count(), 2);
    EXPECT_EQ(activated.at(1).at(0).toInt(), 1);
    // Arrow keys do not scroll the grid by themselves.
    grid.resize(536, 150);
    grid.layOut();
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid.currentIndex(), 1);
}

TEST_F(ScrollBoxTest, WheelScrollsTwoLinesWithTheFocusInTheGridAndOneWithout) {
    fill(40);
    grid.resize(536, 300);
    grid.layOut();
    const int line = grid.verticalScrollBar()->singleStep();
    auto wheelDown = [&] {
        QWheelEvent event(QPointF(50, 50), grid.mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &event);
    };
    wheelDown();
    EXPECT_EQ(grid.verticalScrollBar()->value(), line);
    showActive(QSize(536, 300));
    grid.setFocus();
    ASSERT_TRUE(grid.hasFocus());
    grid.verticalScrollBar()->setValue(0);
    wheelDown();
    EXPECT_EQ(grid.verticalScrollBar()->value(), 2 * line);
}

TEST_F(ScrollBoxTest, DroppedLocalPathsAreHandedOn) {
    QSignalSpy dropped(&grid, &ScrollBox::pathsDropped);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/tmp/a folder"), QUrl("https://example.org/x"),
                  QUrl::fromLocalFile("/tmp/b.mp4")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &drop);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.at(0).at(0).toStringList(), QStringList({"/tmp/a folder", "/tmp/b.mp4"}));
}

TEST_F(ScrollBoxTest, FocusedCaptionStaysRedThroughAFontColourChange) {
    grid.setBackgroundColor(Qt::white);
    grid.addCell(QStringLiteral("WWWWWW"));
    grid.addCell(QStringLiteral("WWWWWW"));
    showActive(QSize(536, 300));
    grid.select(0);
    grid.setFontColor(Qt::blue);
    const QImage image = grid.viewport()->grab().toImage();
    auto has = [&](int index, QRgb colour) {
        const QRect caption =
            grid.cellAt(index)->geometry().caption.translated(grid.cellRect(index).topLeft());
        for (int y = caption.top(); y <= caption.bottom(); ++y)
            for (int x = caption.left(); x <= caption.right(); ++x) {
                // Text is antialiased: look for pixels leaning clearly to the colour.
                const QRgb p = image.pixel(x, y);
                const int r = qRed(p), g = qGreen(p), b = qBlue(p);
                if (qRed(colour) == 255 ? r - std::max(g, b) > 100 : b - std::max(r, g) > 100)
                    return true;
            }
        return false;
    };
    EXPECT_TRUE(has(0, qRgb(255, 0, 0)));
    EXPECT_FALSE(has(0, qRgb(0, 0, 255)));
    EXPECT_TRUE(has(1, qRgb(0, 0, 255)));
}
