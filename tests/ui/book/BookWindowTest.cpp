#include "ui/book/BookWindow.h"

#include "core/AppState.h"
#include "core/LibrarySession.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class BookWindowTest : public ::testing::Test {
protected:
    BookWindowTest() { state.initialise(dir.path()); }

    QTemporaryDir dir;
    AppState state;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
    LibrarySession session{dir.path(), dialogs, volumes};
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

    form.applyBookOpenState();
    QTest::keyClick(&form, Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(&form, Qt::Key_Delete);
    QTest::keyClick(&form, Qt::Key_Delete, Qt::ControlModifier);
    form.actions().albumMenu->actions().first()->trigger(); // "アルバムを追加"
    form.actions().albumMenu->actions().last()->trigger();  // "ソート"
    EXPECT_EQ(open.count(), 1);
    EXPECT_EQ(remove.count(), 2);
    EXPECT_EQ(add.count(), 1);
    EXPECT_EQ(sort.count(), 1);

    form.applyNoBookState();
    QTest::keyClick(&form, Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(&form, Qt::Key_Delete);
    form.actions().albumMenu->actions().last()->trigger();
    EXPECT_EQ(open.count(), 1);
    EXPECT_EQ(remove.count(), 2);
    EXPECT_EQ(sort.count(), 1); // the album menu's own entry is off too

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
