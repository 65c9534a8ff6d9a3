#include "core/BookCatalogue.h"

#include "core/FavouriteBook.h"
#include "core/TextFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;
using tavimo::test::writeTestFile;

namespace {

class BookCatalogueTest : public ::testing::Test {
protected:
    QString library() const { return dir.path() + u'/'; }
    void touch(const QString& name) { ASSERT_TRUE(writeTestFile(library() + name, "")); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(BookCatalogueTest, EachModeListsItsOwnBooksInCaseInsensitiveOrder) {
    for (const char* name : {"C.book", "b.book", "A.book", "d.txt", "Old.BOOK"})
        touch(QString::fromUtf8(name));
    QDir().mkpath(library() + "folder.book"); // a folder is no book
    const QStringList all = bookcatalogue::listBookFiles(library());
    EXPECT_EQ(all, (QStringList{"A.book", "b.book", "C.book"}));

    const QStringList media{"b"};
    EXPECT_EQ(bookcatalogue::booksOfMode(all, media, BookMode::Normal),
              (QStringList{"A.book", "C.book"}));
    EXPECT_EQ(bookcatalogue::booksOfMode(all, media, BookMode::Media), QStringList{"b.book"});
    // The media-book list is compared exactly: "B" is not "b".
    EXPECT_EQ(bookcatalogue::booksOfMode(all, {"B"}, BookMode::Media), QStringList{});

    EXPECT_TRUE(bookcatalogue::listBookFiles(library() + "missing/").isEmpty());
}

TEST_F(BookCatalogueTest, NamesDifferingOnlyInCaseKeepOneOrder) {
    QStringList names{"b", "B", "a", "A", "b"};
    bookcatalogue::sortNames(names);
    EXPECT_EQ(names, (QStringList{"A", "a", "B", "b", "b"}));
}

TEST_F(BookCatalogueTest, ATitleIsTakenByABookOfEitherModeInAnyLetterCase) {
    touch("Travel.book");
    touch("Old.BOOK");
    EXPECT_TRUE(bookcatalogue::titleTaken(library(), "Travel"));
    EXPECT_TRUE(bookcatalogue::titleTaken(library(), "TRAVEL"));
    EXPECT_TRUE(bookcatalogue::titleTaken(library(), "old"));
    EXPECT_FALSE(bookcatalogue::titleTaken(library(), "Travel2"));
    EXPECT_FALSE(bookcatalogue::titleTaken(library(), "Trave"));
}

TEST(FavouriteBookChoice, TheTitleOrTheFileNameStoresTheBooksOwnTitle) {
    const QStringList files{"旅行.book", "v1.2.book", "media.book"};
    const QStringList media{"media"};
    using favouritebook::Outcome;

    auto byTitle = favouritebook::choose("旅行", files, media);
    EXPECT_EQ(byTitle.outcome, Outcome::Set);
    EXPECT_EQ(byTitle.title, "旅行");
    auto byFile = favouritebook::choose("旅行.book", files, media);
    EXPECT_EQ(byFile.outcome, Outcome::Set);
    EXPECT_EQ(byFile.title, "旅行");
    // A title with a dot is not cut at it.
    EXPECT_EQ(favouritebook::choose("v1.2", files, media).title, "v1.2");
    EXPECT_EQ(favouritebook::choose("v1.2.book", files, media).title, "v1.2");

    EXPECT_EQ(favouritebook::choose("media", files, media).outcome, Outcome::MediaBook);
    EXPECT_EQ(favouritebook::choose("media.book", files, media).outcome, Outcome::MediaBook);
    EXPECT_EQ(favouritebook::choose("旅", files, media).outcome, Outcome::NotFound);
    EXPECT_EQ(favouritebook::choose("V1.2", files, media).outcome, Outcome::NotFound);
    EXPECT_EQ(favouritebook::choose("", files, media).outcome, Outcome::NotFound);
}

TEST_F(BookCatalogueTest, TheFavouriteBooksAlbumsComeWithoutMarkersAndBlankLines) {
    ASSERT_TRUE(textfile::writeLines(library() + "好き.book", {"海-->", "", "山", "-->"}));
    EXPECT_EQ(favouritebook::readAlbums(library(), "好き"), (QStringList{"海", "山"}));

    EXPECT_EQ(favouritebook::readAlbums(library(), "ない"), std::nullopt);
    EXPECT_EQ(favouritebook::readAlbums(library(), ""), std::nullopt);
    // A hand-edited favourite never reads a file outside the library folder.
    ASSERT_TRUE(writeTestFile(library() + "outside.book", "x\r\n"));
    ASSERT_TRUE(QDir().mkpath(library() + "lib"));
    EXPECT_EQ(favouritebook::readAlbums(library() + "lib/", "../outside"), std::nullopt);
}
