#include "core/AlbumFiles.h"

#include "core/AlbumContents.h"
#include "core/BookPaths.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/Tpackedjpg.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class AlbumFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        book = BookPaths::of(dir.path() + u'/', QStringLiteral("本"));
        QDir().mkpath(book.imagesFolder);
        paths = AlbumPaths::of(book, QStringLiteral("アルバム"));
    }

    void write(const QString& path, const QByteArray& content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    BookPaths book;
    AlbumPaths paths;
};

} // namespace

TEST_F(AlbumFilesTest, AlbumFileReadsAnyLineBreakAndAnEmptyAlbumIsZeroBytes) {
    write(paths.album, QByteArray("/v/a.avi\r\n\n/v/\x93\xae\x89\xe6.avi\r/v/c.avi\r\n\0junk", 38));
    EXPECT_EQ(albumfile::read(paths.album),
              (QStringList{"/v/a.avi", "", QStringLiteral("/v/動画.avi"), "/v/c.avi"}));
    ASSERT_TRUE(albumfile::write(paths.album, {}));
    EXPECT_EQ(contents(paths.album), QByteArray());
    EXPECT_EQ(albumfile::read(paths.album), QStringList());
    EXPECT_EQ(albumfile::read(paths.album + QStringLiteral("x")), std::nullopt);
}

TEST_F(AlbumFilesTest, MarksAndCountsArePaddedAndSavedAtTheAlbumLength) {
    const int64_t oneHour = int64_t(3600) * 10'000'000;
    write(paths.marks, QByteArray::number(qlonglong(oneHour)) + "\r\n");
    AlbumMarks marks = AlbumMarks::load(paths, 3); // no counts file at all
    EXPECT_EQ(marks.bookmarks, (QList<int64_t>{oneHour, 0, 0}));
    EXPECT_EQ(marks.counts, (QList<int32_t>{0, 0, 0}));
    marks.counts[0] = 2;
    EXPECT_EQ(marks.bookmarkLines(3), (QStringList{"36000000000", "0", "0"}));
    EXPECT_EQ(marks.countLines(3), (QStringList{"2", "0", "0"}));

    // Longer files are kept on loading and cut by the next save; negatives survive.
    write(paths.marks, "-5\r\n7\r\n9\r\n");
    marks = AlbumMarks::load(paths, 2);
    EXPECT_EQ(marks.bookmarks, (QList<int64_t>{-5, 7, 9}));
    EXPECT_EQ(marks.bookmarkLines(2), (QStringList{"-5", "7"}));
    EXPECT_TRUE(marks.problems.isEmpty());
}

TEST_F(AlbumFilesTest, BadNumbersReadAsZeroWithOneMessageAndTheRestLoads) {
    write(paths.marks, "100\r\nabc\r\n300\r\n");
    write(paths.counts, "1\r\n99999999999\r\n\r\n");
    const AlbumMarks marks = AlbumMarks::load(paths, 3);
    EXPECT_EQ(marks.bookmarks, (QList<int64_t>{100, 0, 300}));
    EXPECT_EQ(marks.counts, (QList<int32_t>{1, 0, 0}));
    ASSERT_EQ(marks.problems.size(), 1);
    EXPECT_EQ(marks.problems[0].message,
              QStringLiteral(
                  "'abc' は有効な整数値ではありません。\r\n%1 の 2 行目は 0 として読み込みます。")
                  .arg(paths.marks));
    EXPECT_EQ(marks.problems[0].path, paths.marks);
    EXPECT_EQ(marks.problems[0].icon, Problem::Icon::Warning);
}

TEST_F(AlbumFilesTest, OpeningDropsBlankEntriesWithTheirThumbnailMarkAndCount) {
    Tpackedjpg stored;
    for (const char* name : {"a", "blank", "c"})
        stored.addPicture(jpeg::encode(imagefunc::solidBitmap(8, 8, QColor(name[0], 0, 0))));
    ASSERT_TRUE(stored.saveToFile(paths.storeBase));
    write(paths.marks, "10\r\n20\r\n30\r\n");
    write(paths.counts, "1\r\n2\r\n");

    Tpackedjpg store;
    const AlbumContents album = openAlbumContents(paths, {"/v/a.avi", "", "/v/c.avi", ""}, store);
    EXPECT_EQ(album.entries, (QStringList{"/v/a.avi", "/v/c.avi"}));
    EXPECT_EQ(album.marks.bookmarks, (QList<int64_t>{10, 30}));
    EXPECT_EQ(album.marks.counts, (QList<int32_t>{1, 0}));
    ASSERT_EQ(store.count(), 2);
    QByteArray first, second, expected;
    store.getPicture(0, first);
    store.getPicture(1, second);
    stored.getPicture(2, expected);
    EXPECT_EQ(second, expected);
    EXPECT_NE(first, second);

    // Without a store file every video starts without a thumbnail.
    QFile::remove(paths.store);
    openAlbumContents(paths, {"/v/a.avi", "/v/b.avi"}, store);
    EXPECT_EQ(store.count(), 2);
    EXPECT_FALSE(store.getPicture(0, first) && !first.isEmpty());
}
