#include "app/AppRoot.h"
#include "core/BookPaths.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "ui/book/BookListMenu.h"
#include "ui/book/BookWindow.h"
#include "ui/book/FavouritesMenu.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class BookListStartUpTest : public ::testing::Test {
protected:
    QString library() const { return dir.path() + u'/'; }

    void makeBook(const QString& title, const QStringList& albums) {
        const BookPaths paths = BookPaths::of(library(), title);
        ASSERT_TRUE(QDir().mkpath(paths.imagesFolder));
        ASSERT_TRUE(textfile::writeLines(paths.bookFile, albums));
        for (const QString& album : albums)
            ASSERT_TRUE(textfile::writeLines(AlbumPaths::of(paths, album).album, {}));
    }

    QTemporaryDir dir;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
};

} // namespace

TEST_F(BookListStartUpTest, BooksAreListedEvenWithoutASettingsFile) {
    makeBook("b", {});
    makeBook("A", {});
    AppRoot root(library(), dialogs, volumes);
    root.startUp();
    EXPECT_EQ(root.bookList().entries(), (QStringList{"A.book", "b.book"}));
    EXPECT_FALSE(root.session().bookOpen());
    EXPECT_FALSE(root.bookList().entryFor("A.book")->isChecked());
    EXPECT_FALSE(root.bookList().entryFor("b.book")->isChecked());
}

TEST_F(BookListStartUpTest, StartUpListsTheModesBooksChecksTheCurrentAndBuildsTheFavourites) {
    makeBook("旅行", {"海"});
    makeBook("好き", {"山", "川"});
    makeBook("disc", {});
    ASSERT_TRUE(textfile::writeLines(library() + "media.inf", {"disc"}));
    ASSERT_TRUE(textfile::writeLines(library() + "Tavimo.ini",
                                     {"[text]", "book=旅行", "favor=好き", "[ex]", "packed=1"}));
    AppRoot root(library(), dialogs, volumes);
    root.startUp();
    EXPECT_EQ(root.bookList().entries(), (QStringList{"好き.book", "旅行.book"}));
    EXPECT_TRUE(root.bookList().entryFor("旅行.book")->isChecked());
    EXPECT_FALSE(root.bookList().entryFor("好き.book")->isChecked());
    EXPECT_EQ(root.favourites().albumNames(), (QStringList{"山", "川"}));
    EXPECT_TRUE(root.bookWindow().actions().favouritesMenu->menuAction()->isEnabled());
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(BookListStartUpTest, AFavouriteWithoutItsBookFileIsReportedAtStartUp) {
    ASSERT_TRUE(textfile::writeLines(library() + "Tavimo.ini",
                                     {"[text]", "favor=消えた", "[ex]", "packed=1"}));
    dialogs.answer(DialogService::Answer::Ok);
    AppRoot root(library(), dialogs, volumes);
    root.startUp();
    EXPECT_EQ(dialogs.messages(), QStringList{"ブックが見つかりません"});
    EXPECT_TRUE(root.favourites().albumNames().isEmpty());
}
