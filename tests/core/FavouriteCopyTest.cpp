#include "core/FavouriteCopy.h"

#include "core/AlbumFiles.h"
#include "core/BookPaths.h"
#include "core/JpegCodec.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class FavouriteCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        library = dir.path() + u'/';
        book = BookPaths::of(library, QStringLiteral("お気に入り"));
        QDir().mkpath(book.imagesFolder);
        paths = AlbumPaths::of(book, QStringLiteral("好き"));
        QImage red(120, 90, QImage::Format_RGB888);
        red.fill(Qt::red);
        video = FavouriteVideo{QStringLiteral("/v/ビデオ.avi"), 12345678, 3, jpeg::encode(red)};
    }

    std::optional<QStringList> copy(const QString& album = QStringLiteral("好き")) {
        const FavouriteAdded added = addToFavourite(library, book.title, album, video);
        told += added.problems;
        return added.entries;
    }
    QStringList lines(const QString& path) {
        return textfile::readLines(path).value_or(QStringList{"<missing>"});
    }

    QTemporaryDir dir;
    QString library;
    BookPaths book;
    AlbumPaths paths;
    FavouriteVideo video;
    QList<Problem> told; // what the user would be told
};

} // namespace

TEST_F(FavouriteCopyTest, AppendsTheVideoToAllFourFilesOnceOnly) {
    // An album whose marks file lost its last line and whose store was never written.
    ASSERT_TRUE(albumfile::write(paths.album, {"/v/a.avi", "/v/b.avi"}));
    ASSERT_TRUE(textfile::writeLines(paths.marks, {"100"}));
    ASSERT_TRUE(textfile::writeLines(paths.counts, {"1", "2", "9"}));

    const auto list = copy();
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (QStringList{"/v/a.avi", "/v/b.avi", video.entry}));
    EXPECT_EQ(lines(paths.album), *list);
    // The new line sits beside its video in every file.
    EXPECT_EQ(lines(paths.marks), (QStringList{"100", "0", "12345678"}));
    EXPECT_EQ(lines(paths.counts), (QStringList{"1", "2", "3"}));
    Tpackedjpg store;
    ASSERT_TRUE(store.loadFromFile(paths.store));
    ASSERT_EQ(store.count(), 3);
    QByteArray stored;
    ASSERT_TRUE(store.getPicture(2, stored));
    EXPECT_EQ(stored, video.jpeg);

    // The same file again, in other letter case: nothing changes.
    video.entry = video.entry.toUpper();
    EXPECT_FALSE(copy());
    EXPECT_EQ(lines(paths.album).size(), 3);
    EXPECT_EQ(lines(paths.marks).size(), 3);
    EXPECT_TRUE(told.isEmpty());

    // A video without a thumbnail gives an empty store entry.
    video.entry = QStringLiteral("/v/c.avi");
    video.jpeg.clear();
    ASSERT_TRUE(copy());
    ASSERT_TRUE(store.loadFromFile(paths.store));
    EXPECT_EQ(store.count(), 4);
    EXPECT_TRUE(store.isEmpty(3));
    EXPECT_TRUE(told.isEmpty());
}

TEST_F(FavouriteCopyTest, DoesNothingWithoutTheBookFolderOrTheAlbumOrWithAnUnsafeName) {
    EXPECT_FALSE(copy()); // no album file
    ASSERT_TRUE(albumfile::write(paths.album, {}));
    EXPECT_FALSE(copy(QStringLiteral("../好き")));
    EXPECT_FALSE(
        addToFavourite(library, QStringLiteral("無い本"), QStringLiteral("好き"), video).entries);
    EXPECT_FALSE(QFile::exists(paths.marks));
    EXPECT_TRUE(told.isEmpty());

    // A full disk: the failed album file is shown and the other files are left alone.
    ASSERT_TRUE(albumfile::write(paths.album, {"/v/a.avi"}));
    {
        test::FileSizeLimit full(8);
        EXPECT_FALSE(copy());
    }
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].icon, Problem::Icon::Error);
    EXPECT_TRUE(told[0].message.startsWith(QStringLiteral("ファイルを保存できませんでした。")));
    EXPECT_EQ(lines(paths.album), QStringList{"/v/a.avi"});
    EXPECT_FALSE(QFile::exists(paths.marks));
    EXPECT_FALSE(QFile::exists(paths.store));
}
