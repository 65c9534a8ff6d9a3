#include "ui/book/BookListMenu.h"

#include "core/AppState.h"
#include "core/BookPaths.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "support/BookGrid.h"
#include "support/LibraryOnDisk.h"
#include "support/TestFiles.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookWindow.h"
#include "ui/book/FavouritesMenu.h"
#include "ui/grid/ScrollBox.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;
using tavimo::test::readTestFile;

namespace {

using Answer = DialogService::Answer;

class BookListMenuTest : public ::testing::Test, protected test::LibraryOnDisk {
protected:
    BookListMenuTest() {
        state.initialise(dir.path());
        session.setSaveDelay(0);
        form.wire({.files = &books, .bookList = &list, .favourites = &favourites});
    }

    QString library() const { return state.libraryFolder; }

    void makeBook(const QString& title, const QStringList& albums) {
        const BookPaths paths = BookPaths::of(library(), title);
        ASSERT_TRUE(QDir().mkpath(paths.imagesFolder));
        ASSERT_TRUE(textfile::writeLines(paths.bookFile, albums));
        for (const QString& album : albums)
            ASSERT_TRUE(textfile::writeLines(AlbumPaths::of(paths, album).album, {}));
    }

    // The File menu's entries between its separators, as they read.
    QStringList fileMenuBooks() const {
        QStringList texts;
        bool inList = false;
        for (QAction* item : form.actions().fileMenu->actions()) {
            if (item == form.actions().bookListStart || item == form.actions().bookListEnd) {
                inList = item == form.actions().bookListStart;
                continue;
            }
            if (inList)
                texts.append(item->text() + (item->isChecked() ? "*" : ""));
        }
        return texts;
    }

    void open(const QString& title) {
        books.loadBook(title);
        ASSERT_TRUE(session.bookOpen());
    }

    BookWindow form{session, state, dialogs};
    BookFileCommands books{session, state, form};
    BookListMenu list{
        session, state, form, books, *form.actions().fileMenu, *form.actions().bookListEnd};
    FavouritesMenu favourites{session, state, form, list, *form.actions().favouritesMenu};
};

} // namespace

TEST_F(BookListMenuTest, EachModeListsItsBooksAndChoosingOneSavesTheCurrentAndOpensIt) {
    makeBook("A", {"海"});
    makeBook("b", {});
    makeBook("C", {"山", "川"});
    state.mediaBooks = {"b"};
    list.rebuild();
    EXPECT_EQ(fileMenuBooks(), (QStringList{"A.book", "C.book"}));
    open("A");
    EXPECT_EQ(fileMenuBooks(), (QStringList{"A.book*", "C.book"}));

    session.book().setFolderSync(0, true);
    list.choose(list.entryFor("C.book"));
    EXPECT_EQ(textfile::readLines(library() + "A.book"), QStringList{"海-->"});
    EXPECT_EQ(session.bookPaths().title, "C");
    EXPECT_EQ(test::bookGrid(form).count(), 2);
    EXPECT_EQ(form.currentAlbum(), 0);
    EXPECT_TRUE(form.actions().openAlbum->isEnabled());
    EXPECT_EQ(fileMenuBooks(), (QStringList{"A.book", "C.book*"}));
    EXPECT_EQ(session.bookPaths().title, "C");
    EXPECT_EQ(state.lastNormalBook, "C");

    // A book whose file went meanwhile: said, and the current book stays, still checked.
    QFile::remove(library() + "A.book");
    dialogs.answer(Answer::Ok);
    list.choose(list.entryFor("A.book"));
    EXPECT_EQ(dialogs.messages(), QStringList{"A が見つかりません!"});
    EXPECT_EQ(session.bookPaths().title, "C");
    EXPECT_EQ(fileMenuBooks(), (QStringList{"A.book", "C.book*"}));

    // In media mode only the media books are listed; a rebuild replaces every entry.
    session.switchMode(BookMode::Media);
    list.rebuild();
    EXPECT_EQ(fileMenuBooks(), QStringList{"b.book"});
}

TEST_F(BookListMenuTest, AnEmptyBookGetsNoCurrentCellAndAnAmpersandStaysALetter) {
    makeBook("R&D", {});
    list.rebuild();
    EXPECT_EQ(list.entries(), QStringList{"R&D.book"});
    list.choose(list.entryFor("R&D.book"));
    EXPECT_EQ(session.bookPaths().title, "R&D");
    EXPECT_EQ(form.currentAlbum(), -1);
    EXPECT_EQ(fileMenuBooks(), QStringList{"R&&D.book*"});
}

TEST_F(BookListMenuTest, ANewBookComesFirstCheckedWithItsFoldersAndAnEmptyBookFile) {
    makeBook("Travel", {"海"});
    makeBook("media", {});
    state.mediaBooks = {"media"};
    list.rebuild();
    open("Travel");

    // Taken in either mode and in any letter case: asked again, starting from the refused
    // title. A name that cannot be a file is refused the same way.
    dialogs.answer(QStringLiteral("TRAVEL"));
    dialogs.answer(Answer::Ok);
    dialogs.answer(QStringLiteral("MEDIA"));
    dialogs.answer(Answer::Ok);
    dialogs.answer(QStringLiteral("a/b"));
    dialogs.answer(Answer::Ok);
    dialogs.answer(QStringLiteral("Zoo"));
    form.actions().newBook->trigger();
    ASSERT_EQ(dialogs.asked().size(), 7);
    EXPECT_EQ(dialogs.asked()[0].text, "ブックの新規作成");
    EXPECT_EQ(dialogs.asked()[0].initial, "");
    EXPECT_EQ(dialogs.asked()[1].text,
              "同一のタイトルが存在します!　もう一度入力してください(^_^;)");
    EXPECT_EQ(dialogs.asked()[2].initial, "TRAVEL");
    EXPECT_EQ(dialogs.asked()[3].text, dialogs.asked()[1].text);
    EXPECT_EQ(dialogs.asked()[6].initial, "a/b");
    EXPECT_FALSE(QFileInfo::exists(library() + "a"));

    const BookPaths zoo = BookPaths::of(library(), "Zoo");
    EXPECT_EQ(fileMenuBooks(), (QStringList{"Zoo.book*", "Travel.book"}));
    EXPECT_EQ(session.bookPaths().title, "Zoo");
    EXPECT_EQ(readTestFile(zoo.bookFile), "");
    EXPECT_TRUE(QFileInfo(zoo.imagesFolder).isDir());
    EXPECT_EQ(test::bookGrid(form).count(), 0);
    EXPECT_EQ(form.currentAlbum(), -1);
    EXPECT_EQ(session.bookPaths().title, "Zoo");
    EXPECT_TRUE(form.actions().addAlbum->isEnabled());

    // The next time the box starts with the last title typed; a cancel changes nothing.
    dialogs.answer(std::monostate{});
    form.actions().newBook->trigger();
    EXPECT_EQ(dialogs.asked().last().initial, "Zoo");
    EXPECT_EQ(session.bookPaths().title, "Zoo");
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(BookListMenuTest, ANewBookJoinsTheMediaListOnlyInMediaMode) {
    // "old" was a media book whose files were deleted; its title is still listed.
    state.mediaBooks = {"old"};
    ASSERT_TRUE(textfile::writeLines(state.mediaBooksPath(), state.mediaBooks));

    session.switchMode(BookMode::Media);
    dialogs.answer(QStringLiteral("disc"));
    form.actions().newBook->trigger();
    EXPECT_EQ(readTestFile(state.mediaBooksPath()), "old\r\ndisc\r\n");
    EXPECT_TRUE(QFileInfo::exists(BookPaths::of(library(), "disc").mediaDat));

    // A normal book under that title is a normal book at the next start too.
    session.switchMode(BookMode::Normal);
    dialogs.answer(QStringLiteral("old"));
    form.actions().newBook->trigger();
    EXPECT_EQ(session.bookPaths().title, "old");
    EXPECT_EQ(state.mediaBooks, QStringList{"disc"});
    EXPECT_EQ(readTestFile(state.mediaBooksPath()), "disc\r\n");
}

TEST_F(BookListMenuTest, TheFavouriteIsChosenByTitleOrFileNameAndItsAlbumsOpenFromAnyBook) {
    makeBook("好き", {"海", "山", "川"});
    makeBook("v1.2", {"x"});
    makeBook("disc", {});
    state.mediaBooks = {"disc"};
    list.rebuild();

    // No book open: nothing is asked.
    form.actions().chooseFavourite->trigger();
    EXPECT_TRUE(dialogs.asked().isEmpty());

    open("v1.2");
    dialogs.answer(QStringLiteral("好き.book"));
    dialogs.answer(Answer::Ok);
    form.actions().chooseFavourite->trigger();
    EXPECT_EQ(dialogs.messages(), QStringList{"お気に入りブックを登録しました"});
    EXPECT_EQ(state.favouriteBook, "好き");
    EXPECT_EQ(favourites.albumNames(), (QStringList{"海", "山", "川"}));
    EXPECT_EQ(form.actions().favouritesMenu->actions().size(), 5);

    dialogs.clear();
    dialogs.answer(QStringLiteral("v1.2"));
    dialogs.answer(Answer::Ok);
    dialogs.answer(QStringLiteral("disc"));
    dialogs.answer(Answer::Ok);
    dialogs.answer(QStringLiteral("嫌い"));
    dialogs.answer(Answer::Ok);
    form.actions().chooseFavourite->trigger();
    EXPECT_EQ(dialogs.asked()[0].initial, "好き");
    EXPECT_EQ(state.favouriteBook, "v1.2");
    EXPECT_EQ(favourites.albumNames(), QStringList{"x"});
    // A media book is not listed in normal mode, so it is not found.
    form.actions().chooseFavourite->trigger();
    form.actions().chooseFavourite->trigger();
    EXPECT_EQ(dialogs.messages(),
              (QStringList{"お気に入りブックを登録しました", "ブックが見つかりません",
                           "ブックが見つかりません"}));
    EXPECT_EQ(state.favouriteBook, "v1.2");

    // The third album of the favourite book, clicked while another book is shown.
    state.favouriteBook = "好き";
    favourites.rebuild();
    QSignalSpy opened(form.actions().openAlbum, &QAction::triggered);
    form.actions().favouritesMenu->actions().at(4)->trigger();
    EXPECT_EQ(session.bookPaths().title, "好き");
    EXPECT_EQ(form.currentAlbum(), 2);
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(list.entryFor("好き.book")->isChecked(), true);
}

TEST_F(BookListMenuTest, TheFavouritesFollowTheFavouriteBooksAlbumsByName) {
    makeBook("好き", {"海", "山", "川"});
    makeBook("other", {});
    list.rebuild();
    open("好き");

    // Chosen while a rename is not saved yet: the rows are newer than the book file.
    session.book().renameAlbum(0, "湖");
    state.favouriteBook = "好き";
    favourites.rebuild();
    EXPECT_EQ(favourites.albumNames(), (QStringList{"湖", "山", "川"}));
    session.book().step(2, RowStep::ToFront);
    EXPECT_EQ(favourites.albumNames(), (QStringList{"川", "湖", "山"}));
    EXPECT_EQ(form.actions().favouritesMenu->actions().at(2)->text(), "川");

    // Another book's changes leave them alone.
    open("other");
    session.book().appendAlbum(BookAlbum{.name = "新"});
    EXPECT_EQ(favourites.albumNames(), (QStringList{"川", "湖", "山"}));

    // An album whose file went is dropped by the load: the item opens the album of that name,
    // not the one that took its place.
    session.flush();
    QFile::remove(library() + "好き/川.alb");
    QSignalSpy opened(form.actions().openAlbum, &QAction::triggered);
    favourites.openAlbum("山");
    EXPECT_EQ(session.bookPaths().title, "好き");
    EXPECT_EQ(session.book().album(form.currentAlbum()).name, "山");
    EXPECT_EQ(opened.count(), 1);
}

TEST_F(BookListMenuTest, AFavouriteWhoseBookFileIsGoneIsReportedAndTheMenuStays) {
    makeBook("好き", {"海"});
    list.rebuild();
    state.favouriteBook = "好き";
    favourites.rebuild();
    QFile::remove(library() + "好き.book");
    dialogs.answer(Answer::Ok);
    favourites.rebuild();
    EXPECT_EQ(dialogs.messages(), QStringList{"ブックが見つかりません"});
    EXPECT_EQ(favourites.albumNames(), QStringList{"海"});

    // Its album item then opens nothing, and the shown book stays.
    dialogs.answer(Answer::Ok);
    favourites.openAlbum("海");
    EXPECT_FALSE(session.bookOpen());
}
