#include "core/Album.h"

#include "core/AlbumSaving.h"
#include "core/Book.h"
#include "core/CellRoles.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/SaveUnit.h"
#include "core/Tpackedjpg.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QByteArray pictureOf(int shade) {
    return jpeg::encode(imagefunc::solidBitmap(120, 90, QColor(shade, shade, shade)));
}

class AlbumTest : public ::testing::Test {
protected:
    void SetUp() override { openIn(BookMode::Normal); }

    // The album "旅" of the book "本" of that mode.
    void openIn(BookMode mode) {
        QList<Problem> problems;
        ASSERT_TRUE(books.openNew(dir.path() + u'/', QStringLiteral("本"), mode, problems));
        books.appendAlbum({QStringLiteral("旅")});
        book = books.paths();
        album.setIdentity(books, 0);
    }

    // Writes the album's files (or only its marks and counts) as one save.
    bool save(bool marksOnly = false) {
        SaveUnit unit(dir.path() + u'/');
        return (marksOnly ? stageAlbumMarks(album, unit) : stageAlbumFiles(album, unit)) &&
               unit.commit();
    }

    // Videos v0..v(n-1): bookmark 100*i, count i, a picture of shade 20*i.
    void fill(int n) {
        for (int i = 0; i < n; ++i)
            album.append(QStringLiteral("/v/v%1.avi").arg(i), pictures.at(i), 100 * i, i);
    }

    // Which original video stands at each index, checked across the row and what the model
    // tells a grid.
    QList<int> order() {
        QList<int> result;
        EXPECT_EQ(album.rowCount(), album.count());
        for (int i = 0; i < album.count(); ++i) {
            const int v = album.entry(i).mid(4).chopped(4).toInt();
            EXPECT_EQ(album.bookmark(i), 100 * v) << i;
            EXPECT_EQ(album.playCount(i), v) << i;
            EXPECT_EQ(album.pictureBytes(i), pictures.at(v)) << i;
            const QModelIndex index = album.index(i);
            EXPECT_EQ(album.data(index, Qt::DisplayRole).toString(),
                      QStringLiteral("v%1.avi").arg(v))
                << i;
            EXPECT_EQ(album.data(index, BookmarkRole).toLongLong(), 100 * v) << i;
            result.append(v);
        }
        return result;
    }

    QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    Book books;
    BookPaths book;
    Album album;
    const QList<QByteArray> pictures{pictureOf(0),  pictureOf(20), pictureOf(40),
                                     pictureOf(60), pictureOf(80), pictureOf(100)};
};

} // namespace

TEST_F(AlbumTest, AssignFitsMarksAndStoreToTheEntries) {
    Tpackedjpg store;
    store.addPicture(pictures.at(0));
    store.addPicture(pictures.at(1));
    store.addPicture(pictures.at(2));
    store.addPicture(pictures.at(3)); // one more than there are videos
    AlbumMarks marks;
    marks.bookmarks = {5, 6, 7, 8, 9}; // a longer marks file: the surplus must not reach a video
    marks.counts = {1};                // a shorter counts file
    album.assign({"/v/a.avi", "/v/b.avi", "/v/c.avi"}, marks, store);

    EXPECT_EQ(album.count(), 3);
    EXPECT_EQ(album.store().count(), 3);
    EXPECT_EQ(album.bookmark(2), 7);
    EXPECT_EQ(album.playCount(0), 1);
    EXPECT_EQ(album.playCount(2), 0);
    EXPECT_EQ(album.data(album.index(1), Qt::DisplayRole).toString(), "b.avi");
    EXPECT_EQ(album.pictureBytes(1), pictures.at(1));

    album.append("/v/d.avi", {}); // a new video never inherits the dropped surplus
    EXPECT_EQ(album.bookmark(3), 0);
    EXPECT_TRUE(album.needsThumbnail(3));
    EXPECT_FALSE(album.needsThumbnail(0));
    album.setPicture(0, "not a jpeg");
    EXPECT_TRUE(album.needsThumbnail(0));
}

TEST_F(AlbumTest, MovesSortsAndRemovalsTakeEachVideoWhole) {
    fill(6);
    QSignalSpy due(&album, &Album::rowsChanged);
    EXPECT_EQ(album.step(5, RowStep::ToFront), 0);
    EXPECT_EQ(order(), (QList<int>{5, 0, 1, 2, 3, 4}));
    EXPECT_TRUE(album.moveRowBlock(1, 2, 6));
    EXPECT_EQ(order(), (QList<int>{5, 2, 3, 4, 0, 1}));
    album.reorder({4, 5, 1, 2, 3, 0});
    EXPECT_EQ(order(), (QList<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(due.count(), 3);
    album.step(0, RowStep::Back); // nothing moves: nothing is due
    EXPECT_EQ(due.count(), 3);
    album.reorder({3, 5, 0, 1, 4, 2});
    album.remove(1);
    EXPECT_EQ(order(), (QList<int>{3, 0, 1, 4, 2}));
    album.removeAll({4, 0, 4, 2});
    EXPECT_EQ(order(), (QList<int>{0, 4}));
    album.remove(7);
    EXPECT_EQ(order(), (QList<int>{0, 4}));

    album.setBookmark(1, 123);
    album.setPlayCount(1, 9);
    EXPECT_EQ(album.data(album.index(1), BookmarkRole).toLongLong(), 123);
    EXPECT_EQ(album.data(album.index(1), PlayCountRole).toInt(), 9);
}

TEST_F(AlbumTest, MediaEntriesAreFoundBelowTheDriveRoot) {
    album.clear();
    openIn(BookMode::Media);
    album.append(QStringLiteral("動画/a.avi"), {});
    EXPECT_TRUE(album.rootUnknown());
    EXPECT_EQ(album.fullPath(0), QStringLiteral("動画/a.avi"));

    books.setRecord(0, MediumRecord{3, 0x1234, "USB"});
    album.setDriveRoot(QStringLiteral("/media/f/"));
    EXPECT_FALSE(album.rootUnknown());
    EXPECT_EQ(album.fullPath(0), QStringLiteral("/media/f/動画/a.avi"));
    EXPECT_EQ(album.entryFor(QStringLiteral("/media/f/動画/b.avi")), QStringLiteral("動画/b.avi"));
    EXPECT_TRUE(album.containsFile(QStringLiteral("/media/f/動画/A.AVI")));
    EXPECT_FALSE(album.containsFile(QStringLiteral("/media/g/動画/a.avi")));
    EXPECT_TRUE(album.isLocalFile(0));

    // Written on Windows: the folders are separated by '\\' below the medium's root.
    album.append(QStringLiteral("動画\\b.avi"), {});
    EXPECT_EQ(album.fullPath(1), QStringLiteral("/media/f/動画/b.avi"));
    EXPECT_EQ(album.data(album.index(1), Qt::DisplayRole).toString(), QStringLiteral("b.avi"));
    // A path of a Windows drive is no file below the medium, nor anywhere here.
    album.append(QStringLiteral("C:\\動画\\c.avi"), {});
    EXPECT_FALSE(album.isLocalFile(2));
    EXPECT_EQ(album.fileName(2), QStringLiteral("c.avi"));
    album.setDriveRoot(QString());
    EXPECT_FALSE(album.isLocalFile(1)); // its medium is away
}

TEST_F(AlbumTest, SavesWriteAllFilesTogetherOrNoneOfThem) {
    fill(2);
    album.setBookmark(1, 4242);
    ASSERT_TRUE(save());
    EXPECT_EQ(contents(album.paths().album), "/v/v0.avi\r\n/v/v1.avi\r\n");
    EXPECT_EQ(contents(album.paths().marks), "0\r\n4242\r\n");
    EXPECT_EQ(contents(album.paths().counts), "0\r\n1\r\n");
    Tpackedjpg stored;
    ASSERT_TRUE(stored.loadFromFile(album.paths().store));
    ASSERT_EQ(stored.count(), 2);
    QByteArray second;
    stored.getPicture(1, second);
    EXPECT_EQ(second, pictures.at(1));

    album.setPlayCount(0, 7);
    ASSERT_TRUE(save(true));
    EXPECT_EQ(contents(album.paths().counts), "7\r\n1\r\n");

    // The store cannot be written (a folder stands where its file would go): nothing is, so
    // the album file never lists videos the store has no pictures for.
    const QByteArray albumBefore = contents(album.paths().album);
    const QByteArray marksBefore = contents(album.paths().marks);
    fill(3);
    ASSERT_TRUE(QFile::remove(album.paths().store));
    ASSERT_TRUE(QDir().mkdir(album.paths().store));
    {
        SaveUnit failing(dir.path() + u'/');
        EXPECT_FALSE(stageAlbumFiles(album, failing) && failing.commit());
        EXPECT_TRUE(failing.failure().path.endsWith(QStringLiteral("旅.pjpg")));
    }
    EXPECT_EQ(contents(album.paths().album), albumBefore);
    EXPECT_EQ(contents(album.paths().marks), marksBefore);
    EXPECT_TRUE(
        QDir(book.bookFolder).entryList({QStringLiteral("*.??????")}, QDir::Files).isEmpty())
        << "no temporary file is left behind";

    ASSERT_TRUE(QDir().rmdir(album.paths().store));
    album.removeAll({0, 1, 2, 3, 4});
    ASSERT_TRUE(save());
    EXPECT_EQ(contents(album.paths().album), QByteArray()); // an empty album is 0 bytes
}
