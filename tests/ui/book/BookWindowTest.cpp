#include "ui/book/BookWindow.h"

#include "core/AppState.h"
#include "core/LibrarySession.h"
#include "support/LibraryOnDisk.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class BookWindowTest : public ::testing::Test, protected test::LibraryOnDisk {
protected:
    BookWindowTest() { state.initialise(dir.path()); }
};

} // namespace

TEST_F(BookWindowTest, ShortcutsAndEntriesRunTheirCommandsOnlyWhileEnabled) {
    BookWindow form(session, state, dialogs);
    form.wire({});
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QSignalSpy open(form.actions().openAlbum, &QAction::triggered);
    QSignalSpy remove(form.actions().deleteAlbum, &QAction::triggered);
    QSignalSpy add(form.actions().addAlbum, &QAction::triggered);
    QSignalSpy sort(form.actions().sortAlbums, &QAction::triggered);

    ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    QTest::keyClick(&form, Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(&form, Qt::Key_Delete);
    QTest::keyClick(&form, Qt::Key_Delete, Qt::ControlModifier);
    form.actions().albumMenu->actions().first()->trigger(); // "アルバムを追加"
    form.actions().albumMenu->actions().last()->trigger();  // "ソート"
    EXPECT_EQ(open.count(), 1);
    EXPECT_EQ(remove.count(), 2);
    EXPECT_EQ(add.count(), 1);
    EXPECT_EQ(sort.count(), 1);

    {
        // Long work nests: the commands come back when the last of it ends.
        const BookWindow::BusyScope copying(form);
        {
            const BookWindow::BusyScope sorting(form);
            QTest::keyClick(&form, Qt::Key_E, Qt::ControlModifier);
        }
        QTest::keyClick(&form, Qt::Key_Delete);
        form.actions().albumMenu->actions().last()->trigger();
        EXPECT_EQ(open.count(), 1);
        EXPECT_EQ(remove.count(), 2);
        EXPECT_EQ(sort.count(), 1); // the album menu's own entry is off too
    }
    QTest::keyClick(&form, Qt::Key_Delete);
    EXPECT_EQ(remove.count(), 3);

    // Without a book they stay off, busy or not.
    ASSERT_TRUE(session.switchMode(BookMode::Media));
    EXPECT_TRUE(form.actions().mediaMode->isChecked());
    QTest::keyClick(&form, Qt::Key_Delete);
    EXPECT_EQ(remove.count(), 3);

    int exits = 0;
    form.setExitSequence([&exits] { ++exits; });
    form.actions().exit->trigger();
    form.close();
    EXPECT_EQ(exits, 1);
}

TEST_F(BookWindowTest, OptionItemsKeepTheStateAndTheRendererChoice) {
    BookWindow form(session, state, dialogs);
    form.wire({});
    form.actions().skipUnreadable->trigger();
    form.actions().captureSilent->trigger();
    form.actions().syncFolderAlbums->trigger();
    EXPECT_TRUE(state.skipUnreadable);
    EXPECT_FALSE(state.captureSilent);
    EXPECT_TRUE(state.syncFolderAlbums);

    form.actions().oldRenderer->trigger();
    EXPECT_TRUE(state.oldRenderer);
    EXPECT_FALSE(state.rendererCapable);
    form.actions().oldRenderer->trigger();
    EXPECT_FALSE(state.oldRenderer);
    EXPECT_TRUE(state.rendererCapable);
}
