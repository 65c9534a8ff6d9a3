#include "core/BookFile.h"

#include "core/BookPaths.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;
using Line = bookfile::Line;

TEST(BookFile, SyncMarkersCountOnlyInNormalBooksWhereverTheyStand) {
    const QStringList stored{QStringLiteral("A"), QStringLiteral("B-->"), QStringLiteral("C"),
                             QStringLiteral("X-->Y"), QStringLiteral("-->")};
    EXPECT_EQ(bookfile::parse(stored, BookMode::Normal),
              (QList<Line>{{"A", false}, {"B", true}, {"C", false}, {"XY", true}, {"", true}}));
    const QList<Line> media = bookfile::parse(stored, BookMode::Media);
    EXPECT_EQ(media,
              (QList<Line>{{"A", false}, {"B", false}, {"C", false}, {"XY", false}, {"", false}}));

    // Cutting a marker out may join another; none may stay in the name, or the next save and
    // load would change it.
    const QList<Line> joined = bookfile::parse({QStringLiteral(">---->>")}, BookMode::Normal);
    EXPECT_EQ(joined, (QList<Line>{{">", true}}));
    EXPECT_EQ(bookfile::parse(bookfile::format(joined, BookMode::Normal), BookMode::Normal),
              joined);

    const QList<Line> lines{{"A", false}, {"B", true}, {"C", false}};
    EXPECT_EQ(bookfile::format(lines, BookMode::Normal), (QStringList{"A", "B-->", "C"}));
    EXPECT_EQ(bookfile::format(lines, BookMode::Media), (QStringList{"A", "B", "C"}));
}

TEST(BookFile, JapaneseNamesAreCp932AndAnEmptyBookIsAnEmptyFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("旅行.book"));
    const QList<Line> japanese{{QStringLiteral("夏休み"), true}, {QStringLiteral("運動会"), false}};
    ASSERT_TRUE(bookfile::write(path, japanese, BookMode::Normal));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\x89\xc4\x8b\x78\x82\xdd-->\r\n\x89\x5e\x93\xae\x89\xef"
                                         "\r\n"));
    file.close();
    EXPECT_EQ(bookfile::read(path, BookMode::Normal), japanese);

    ASSERT_TRUE(bookfile::write(path, {}, BookMode::Normal));
    EXPECT_EQ(QFile(path).size(), 0);
    EXPECT_EQ(bookfile::read(dir.filePath(QStringLiteral("none.book")), BookMode::Normal),
              std::nullopt);
}

TEST(BookPaths, TitlesCaptionsAndFilesFollowFromTheLibraryFolder) {
    EXPECT_EQ(bookTitleFromFile(QStringLiteral("/lib/旅行.book")), QStringLiteral("旅行"));
    EXPECT_EQ(bookTitleFromFile(QStringLiteral("/lib/a.book.b.book")), QStringLiteral("a.book.b"));

    const BookPaths book = BookPaths::of(QStringLiteral("/lib/"), QStringLiteral("旅行"));
    EXPECT_EQ(book.bookFile, QStringLiteral("/lib/旅行.book"));
    EXPECT_EQ(book.pictureStore, QStringLiteral("/lib/旅行/images/旅行.pjpg"));
    EXPECT_EQ(book.mediaDat, QStringLiteral("/lib/旅行/media.dat"));
    const AlbumPaths album = AlbumPaths::of(book, QStringLiteral("夏"));
    EXPECT_EQ(album.counts, QStringLiteral("/lib/旅行/夏.cnt"));
    EXPECT_EQ(album.storeBase, QStringLiteral("/lib/旅行/images/夏"));

    EXPECT_EQ(bookWindowCaption(QStringLiteral("旅行"), BookMode::Normal),
              QStringLiteral(" Tavimo\u3000\u3000旅行 ブック"));
    EXPECT_EQ(bookWindowCaption(QStringLiteral("旅行"), BookMode::Media),
              QStringLiteral(" Tavimo\u3000\u3000旅行 ブック\u3000\u3000* Media"));
    EXPECT_EQ(bookWindowCaption({}, BookMode::Normal), QStringLiteral(" Tavimo\u3000\u3000"));
    EXPECT_EQ(bookWindowCaption({}, BookMode::Media),
              QStringLiteral(" Tavimo\u3000\u3000\u3000\u3000* Media"));
}

TEST(BookFile, ABookWrittenOnWindowsComesBackByteForByte) {
    // An NEC-selected IBM kanji (0xED40, also 0xFA5C) on a folder-sync line, and a name holding
    // a byte that is no character.
    const QByteArray windows =
        QByteArray::fromHex("ed4089e6") + "-->\r\n" + QByteArray::fromHex("41fd42") + "\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.book"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(windows);
    file.close();

    const auto lines = bookfile::read(path, BookMode::Normal);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->value(0), (Line{QStringLiteral("纊画"), true}));
    ASSERT_TRUE(bookfile::write(path, *lines, BookMode::Normal));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), windows);
}
