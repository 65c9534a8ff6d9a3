#include "ui/book/BookAlbumCommands.h"

#include "core/AlbumFiles.h"
#include "core/AppState.h"
#include "core/Book.h"
#include "core/ImageFunc.h"
#include "core/LibrarySession.h"
#include "support/BookGrid.h"
#include "support/LibraryOnDisk.h"
#include "support/TestFiles.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/BookWindow.h"
#include "ui/grid/ScrollBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class BookAlbumCommandsTest : public ::testing::Test, protected test::LibraryOnDisk {
protected:
    void SetUp() override {
        state.initialise(dir.path());
        window.wire({.opener = &opener, .albums = &commands});
        albumWindow.wire({});
        ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    }

    void addAlbums(const QStringList& names) {
        for (const QString& name : names) {
            dialogs.answer(name);
            window.actions().addAlbum->trigger();
        }
    }

    QStringList names() const {
        QStringList list;
        for (const BookAlbum& a : session.book().albums())
            list.append(a.name);
        return list;
    }
    QStringList cellTitles() const {
        QStringList list;
        for (int i = 0; i < grid->count(); ++i)
            list.append(grid->cellAt(i)->title());
        return list;
    }

    // The entry of menu whose text is text.
    static QAction* entry(QMenu* menu, const QString& text) {
        for (QAction* item : menu->actions())
            if (item->text() == text)
                return item;
        ADD_FAILURE() << "no entry " << text.toStdString();
        static QAction none;
        return &none;
    }

    void showActive() {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    BookWindow window{session, state, dialogs};
    AlbumWindow albumWindow{session, state, dialogs};
    AlbumOpener opener{session, window, albumWindow};
    BookAlbumCommands commands{window, session, opener, albumWindow};
    ScrollBox* grid = &test::bookGrid(window);
};

} // namespace

TEST_F(BookAlbumCommandsTest, MenusPopupsAndKeysReachTheOperationsAndMoveTheSelection) {
    showActive();
    addAlbums({"c", "a"});
    dialogs.answer(QStringLiteral("b"));
    entry(window.actions().backgroundPopup, QStringLiteral("アルバムを追加"))->trigger();
    EXPECT_EQ(cellTitles(), (QStringList{"c", "a", "b"}));
    EXPECT_EQ(grid->currentIndex(), 2); // the new album
    EXPECT_EQ(dialogs.asked().first().kind, test::ScriptedDialogService::Asked::Input);
    EXPECT_EQ(dialogs.asked().first().text, QStringLiteral("タイトルの入力"));

    QTest::keyClick(&window, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(cellTitles(), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(grid->currentIndex(), 1);
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(grid->currentIndex(), 2);
    entry(window.actions().albumMenu, QStringLiteral("一番前へ移動"))->trigger();
    EXPECT_EQ(cellTitles(), (QStringList{"b", "c", "a"}));
    EXPECT_EQ(grid->currentIndex(), 0);
    entry(window.actions().albumPopup, QStringLiteral("一番後へ移動"))->trigger();
    EXPECT_EQ(cellTitles(), (QStringList{"c", "a", "b"}));
    EXPECT_EQ(grid->currentIndex(), 2);
    // The commands are back on after the long ones.
    EXPECT_TRUE(window.actions().deleteAlbum->isEnabled());
    EXPECT_TRUE(window.actions().moveBack->isEnabled());

    grid->select(1);
    dialogs.answer(QStringLiteral("山"));
    entry(window.actions().albumPopup, QStringLiteral("タイトルの変更"))->trigger();
    EXPECT_EQ(cellTitles(), (QStringList{"c", "山", "b"}));
    EXPECT_EQ(dialogs.asked().last().text, QStringLiteral("タイトルの変更"));
    EXPECT_EQ(dialogs.asked().last().initial, QStringLiteral("a"));
    EXPECT_TRUE(QFileInfo::exists(session.bookPaths().bookFolder + QStringLiteral("山.alb")));
    // A cancelled box makes and renames nothing.
    dialogs.answer(std::monostate{});
    window.actions().addAlbum->trigger();
    dialogs.answer(std::monostate{});
    entry(window.actions().albumPopup, QStringLiteral("タイトルの変更"))->trigger();
    EXPECT_EQ(cellTitles(), (QStringList{"c", "山", "b"}));

    QTest::keyClick(&window, Qt::Key_Delete);
    EXPECT_EQ(cellTitles(), (QStringList{"c", "b"}));
    EXPECT_EQ(grid->currentIndex(), 1); // b took its place
    QTest::keyClick(&window, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grid->currentIndex(), 0); // the new last album
    window.actions().deleteAlbum->trigger();
    EXPECT_EQ(grid->count(), 0);
    EXPECT_EQ(grid->currentIndex(), -1);
    EXPECT_TRUE(dialogs.allAnswersUsed());
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(BookAlbumCommandsTest, SortShowsItsStatusAndKeepsTheSelectionsPlace) {
    addAlbums({"b", "C", "a"});
    grid->select(0); // "b"
    QString shownWhileSorting;
    QObject::connect(&session.book(), &QAbstractItemModel::dataChanged, &window,
                     [&] { shownWhileSorting = window.statusPanel(1)->text(); });
    entry(window.actions().backgroundPopup, QStringLiteral("ソート"))->trigger();
    EXPECT_EQ(shownWhileSorting, QStringLiteral("ソート実行中・・・・・・"));
    EXPECT_TRUE(window.statusPanel(1)->text().isEmpty());
    EXPECT_EQ(cellTitles(), (QStringList{"a", "b", "C"}));
    EXPECT_EQ(grid->currentIndex(), 0); // now "a"
    EXPECT_TRUE(window.actions().sortAlbums->isEnabled());
    // Written at once.
    EXPECT_EQ(test::readTestFile(session.bookPaths().bookFile), "a\r\nb\r\nC\r\n");
}

TEST_F(BookAlbumCommandsTest, PicturesComeFromTheClipboardOnlyWhenItHoldsOne) {
    addAlbums({"a"});
    const QByteArray before = session.book().album(0).jpeg;
    QGuiApplication::clipboard()->setText(QStringLiteral("text"));
    window.actions().pictureFromClipboard->trigger();
    EXPECT_EQ(session.book().album(0).jpeg, before);
    QGuiApplication::clipboard()->setImage(imagefunc::solidBitmap(200, 100, Qt::green));
    if (QGuiApplication::clipboard()->image().isNull())
        GTEST_SKIP() << "the platform's clipboard keeps no picture";
    entry(window.actions().albumPopup, QStringLiteral("画像の変更　クリップボードから"))->trigger();
    EXPECT_NE(session.book().album(0).jpeg, before);
    EXPECT_GT(qGreen(grid->cellAt(0)->picture().image().pixel(60, 45)), 200);
}

TEST_F(BookAlbumCommandsTest, PlayOpensTheAlbumAndStartsItsContinuousPlay) {
    QSignalSpy autoplay(albumWindow.actions().continuousPlay, &QAction::triggered);
    window.actions().playAlbum->trigger(); // no album: nothing
    EXPECT_FALSE(albumWindow.isVisible());

    addAlbums({"a", "b"});
    const QString video = QStringLiteral(TAVIMO_FIXTURE_DIR "/mp4_h264_640x480.mp4");
    ASSERT_TRUE(
        albumfile::write(session.bookPaths().bookFolder + QStringLiteral("b.alb"), {video}));
    session.book().setEntries(1, {video});
    showActive();
    grid->select(1);
    QSignalSpy ready(&albumWindow, &AlbumWindow::albumReady);
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(albumWindow.isVisible());
    EXPECT_FALSE(window.isVisible());
    ASSERT_TRUE(ready.count() > 0 || ready.wait(30000));
    EXPECT_EQ(session.albumIndex(), 1);
    EXPECT_EQ(autoplay.count(), 1);
    EXPECT_EQ(albumWindow.currentVideo(), 0);
    albumWindow.close();
    EXPECT_FALSE(session.albumOpen());
}
