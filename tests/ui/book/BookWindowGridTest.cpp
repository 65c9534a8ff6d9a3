#include "core/AppState.h"
#include "core/CellGeometry.h"
#include "core/Colors.h"
#include "core/LibrarySession.h"
#include "support/BookGrid.h"
#include "support/LibraryOnDisk.h"
#include "ui/book/BookWindow.h"
#include "ui/grid/ScrollBox.h"

#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class BookWindowGrid : public ::testing::Test, protected test::LibraryOnDisk {
protected:
    BookWindowGrid() {
        state.initialise(dir.path());
        form = std::make_unique<BookWindow>(session, state, dialogs);
        form->wire({});
        grid = &test::bookGrid(*form);
    }
    // n albums more in the book; the grid shows them.
    void fill(int n, const QString& name = QStringLiteral("album %1")) {
        for (int i = 0; i < n; ++i)
            session.book().appendAlbum(BookAlbum{.name = name.arg(i)});
        grid->layOut();
    }
    void showActive() {
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    std::unique_ptr<BookWindow> form;
    ScrollBox* grid = nullptr;
};

} // namespace

TEST_F(BookWindowGrid, SettingsValuesReachTheGrid) {
    EXPECT_EQ(form->centralWidget(), grid);
    EXPECT_EQ(grid->backgroundColor(), colors::buttonFace());
    state.bookWindow.color = 0x00FF0000; // blue as 0x00BBGGRR
    state.bookWindow.fontColor = 0x000000FF;
    state.bookWindow.sizeMode = 1;
    form->applySetting(SettingKey::FormColor);
    form->applySetting(SettingKey::FormFont);
    form->applySetting(SettingKey::FormMode);
    EXPECT_EQ(grid->backgroundColor(), QColor(0, 0, 255));
    EXPECT_EQ(grid->fontColor(), QColor(255, 0, 0));
    EXPECT_EQ(grid->sizeMode(), kSmallCells);
    EXPECT_TRUE(form->actions().smallCells->isChecked());
}

TEST_F(BookWindowGrid, SizeItemsSwitchOnceAndKeepTheSelectionFocused) {
    fill(5);
    showActive();
    grid->select(3);
    QSignalSpy laidOut(grid, &ScrollBox::laidOut);
    form->actions().largeCells->trigger(); // already ticked: nothing
    EXPECT_EQ(laidOut.count(), 0);
    EXPECT_TRUE(form->actions().largeCells->isChecked());

    form->actions().smallCells->trigger();
    EXPECT_EQ(state.bookWindow.sizeMode, 1);
    EXPECT_EQ(grid->sizeMode(), kSmallCells);
    EXPECT_EQ(grid->cellAt(4)->small(), kSmallCells);
    EXPECT_TRUE(form->actions().smallCells->isChecked());
    EXPECT_FALSE(form->actions().largeCells->isChecked());
    EXPECT_EQ(laidOut.count(), 1);
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(grid->currentIndex(), 3);
    form->actions().smallCells->trigger();
    EXPECT_EQ(laidOut.count(), 1);
}

TEST_F(BookWindowGrid, ColourItemsSetTheGridAndTheStoredValue) {
    fill(2);
    dialogs.answer(QColor(0x12, 0x34, 0x56));
    form->actions().backgroundColor->trigger();
    EXPECT_EQ(grid->backgroundColor(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(grid->cellAt(1)->cellColor(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(state.bookWindow.color, 0x00563412);

    dialogs.answer(std::monostate{}); // cancelled: nothing changes
    form->actions().fontColor->trigger();
    EXPECT_EQ(state.bookWindow.fontColor, 0);
    dialogs.answer(QColor(Qt::white));
    form->actions().fontColor->trigger();
    EXPECT_EQ(grid->cellAt(0)->fontColor(), QColor(Qt::white));
    EXPECT_EQ(state.bookWindow.fontColor, 0x00FFFFFF);
}

TEST_F(BookWindowGrid, AutomaticHeightFitsTheGridUpToTheWorkArea) {
    showActive();
    fill(3);
    const int workArea = form->screen()->availableGeometry().height();
    const int frame = form->frameGeometry().height() - form->height();
    form->actions().autoHeight->trigger();
    ASSERT_TRUE(state.bookWindow.autoHeight);
    EXPECT_EQ(grid->verticalScrollBar()->maximum(), 0);
    EXPECT_LT(grid->viewport()->height() - grid->contentBottom(), gridPitch(kLargeCells).height());

    fill(200, QStringLiteral("more %1"));
    EXPECT_EQ(form->height() + frame, workArea);
}

TEST_F(BookWindowGrid, WheelOverTheRestOfTheWindowScrollsTheGridOneLine) {
    fill(40);
    form->resize(300, 400);
    showActive();
    ASSERT_GT(grid->verticalScrollBar()->maximum(), 0);
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form.get(), &wheel);
    const int line = grid->verticalScrollBar()->singleStep();
    EXPECT_EQ(grid->verticalScrollBar()->value(), line);

    // Over the focused grid a notch reaches the grid and the window: two lines.
    grid->setFocus();
    QApplication::sendEvent(grid->viewport(), &wheel);
    EXPECT_EQ(grid->verticalScrollBar()->value(), 3 * line);
}

TEST_F(BookWindowGrid, ArrowKeysMoveOnlyWhileTheAlbumCommandsAreOn) {
    ASSERT_EQ(session.createBook(QStringLiteral("book")), Book::LoadResult::Loaded);
    fill(6);
    form->resize(300, 800); // 2 columns
    showActive();
    grid->layOut();
    ASSERT_EQ(grid->columns(), 2);
    grid->select(0);
    QTest::keyClick(form.get(), Qt::Key_Right);
    QTest::keyClick(form.get(), Qt::Key_Down);
    EXPECT_EQ(grid->currentIndex(), 3);
    QTest::keyClick(form.get(), Qt::Key_Left);
    QTest::keyClick(form.get(), Qt::Key_Up);
    EXPECT_EQ(grid->currentIndex(), 0);
    const BookWindow::BusyScope busy(*form);
    QTest::keyClick(form.get(), Qt::Key_Right);
    EXPECT_EQ(grid->currentIndex(), 0);
}

TEST_F(BookWindowGrid, OpeningAndTheSyncMark) {
    ASSERT_EQ(session.createBook(QStringLiteral("book")), Book::LoadResult::Loaded);
    fill(3);
    session.book().setFolderSync(2, true);
    ASSERT_TRUE(grid->cellAt(2)->syncMark());
    showActive();
    QSignalSpy open(form->actions().openAlbum, &QAction::triggered);
    grid->select(1);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(open.count(), 1);

    // The popup's tick follows the current album's sync mark.
    grid->select(2);
    Q_EMIT form->actions().albumPopup->aboutToShow();
    EXPECT_TRUE(form->actions().folderSync->isChecked());
    const QPoint box = grid->cellRect(2).topLeft() + grid->cellAt(2)->geometry().syncMark.center();
    grid->select(0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, box);
    EXPECT_FALSE(grid->cellAt(2)->syncMark());
    EXPECT_FALSE(session.book().album(2).folderSync);
    EXPECT_EQ(grid->currentIndex(), 2);
    EXPECT_EQ(open.count(), 1);
    Q_EMIT form->actions().albumPopup->aboutToShow();
    EXPECT_FALSE(form->actions().folderSync->isChecked());
}

TEST_F(BookWindowGrid, DroppedFoldersBecomeAlbumsAndFilesAreIgnored) {
    QTemporaryDir folder;
    QFile file(folder.filePath("clip.mp4"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    std::vector<std::pair<QString, bool>> created;
    bool commandsOffMeanwhile = true;
    form->setFolderAlbumCreator([&](const QString& path, bool oneOfMany) {
        created.emplace_back(path, oneOfMany);
        commandsOffMeanwhile = commandsOffMeanwhile && !form->actions().deleteAlbum->isEnabled();
    });
    ASSERT_EQ(session.createBook(QStringLiteral("book")), Book::LoadResult::Loaded);

    form->dropFolders({file.fileName()});
    EXPECT_TRUE(created.empty());
    form->dropFolders({folder.path(), file.fileName(), dir.path()});
    ASSERT_EQ(created.size(), 2u);
    EXPECT_EQ(created[0], std::make_pair(folder.path(), true));
    EXPECT_EQ(created[1], std::make_pair(dir.path(), true));
    EXPECT_TRUE(commandsOffMeanwhile);
    EXPECT_TRUE(form->actions().deleteAlbum->isEnabled());
    EXPECT_TRUE(grid->acceptDrops());
    form->dropFolders({folder.path()});
    EXPECT_FALSE(created.back().second);
}
