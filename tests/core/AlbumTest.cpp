#include "core/Album.h"

#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "support/ScriptedDialogService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

// The cells as a plain list, so every test can check that they follow the album.
class RecordedCells final : public VideoCells {
public:
    struct Cell {
        QString title;
        QByteArray jpeg;
        int64_t bookmark = 0;
        int32_t count = 0;
    };
    QList<Cell> cells;

    void clearCells() override { cells.clear(); }
    void appendCell(const QString& title, const QByteArray& jpeg, int64_t bookmark,
                    int32_t count) override {
        cells.append({title, jpeg, bookmark, count});
    }
    void removeCell(int index) override { cells.removeAt(index); }
    void exchangeCells(int i, int j) override { cells.swapItemsAt(i, j); }
    void setCellPicture(int index, const QByteArray& jpeg) override { cells[index].jpeg = jpeg; }
    void setCellMarks(int index, int64_t bookmark, int32_t count) override {
        cells[index].bookmark = bookmark;
        cells[index].count = count;
    }
};

QByteArray pictureOf(int shade) {
    return jpeg::encode(imagefunc::solidBitmap(120, 90, QColor(shade, shade, shade)));
}

class AlbumTest : public ::testing::Test {
protected:
    void SetUp() override {
        book = BookPaths::of(dir.path() + u'/', QStringLiteral("本"));
        QDir().mkpath(book.imagesFolder);
        album.setIdentity(book, QStringLiteral("旅"), 2, BookMode::Normal);
    }

    // Videos v0..v(n-1): bookmark 100*i, count i, a picture of shade 20*i.
    void fill(int n) {
        for (int i = 0; i < n; ++i)
            album.append(QStringLiteral("/v/v%1.avi").arg(i), pictures.at(i), 100 * i, i);
    }

    // Which original video stands at each index, checked across all four sequences and cells.
    QList<int> order() {
        QList<int> result;
        EXPECT_EQ(cells.cells.size(), album.count());
        for (int i = 0; i < album.count(); ++i) {
            const int v = album.entry(i).mid(4).chopped(4).toInt();
            EXPECT_EQ(album.bookmark(i), 100 * v) << i;
            EXPECT_EQ(album.playCount(i), v) << i;
            EXPECT_EQ(album.pictureBytes(i), pictures.at(v)) << i;
            if (i < cells.cells.size()) {
                EXPECT_EQ(cells.cells.at(i).title, QStringLiteral("v%1.avi").arg(v)) << i;
                EXPECT_EQ(cells.cells.at(i).jpeg, pictures.at(v)) << i;
                EXPECT_EQ(cells.cells.at(i).bookmark, 100 * v) << i;
            }
            result.append(v);
        }
        return result;
    }

    QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    BookPaths book;
    RecordedCells cells;
    Album album{&cells};
    test::ScriptedDialogService dialogs;
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
    ASSERT_EQ(cells.cells.size(), 3);
    EXPECT_EQ(cells.cells.at(1).title, "b.avi");
    EXPECT_EQ(cells.cells.at(1).jpeg, pictures.at(1));

    album.append("/v/d.avi", {}); // a new video never inherits the dropped surplus
    EXPECT_EQ(album.bookmark(3), 0);
    EXPECT_TRUE(album.needsThumbnail(3));
    EXPECT_FALSE(album.needsThumbnail(0));
    album.setPicture(0, "not a jpeg");
    EXPECT_TRUE(album.needsThumbnail(0));
}

TEST_F(AlbumTest, EveryReorderingKeepsTheSequencesAndCellsInStep) {
    fill(6);
    album.exchange(0, 5);
    EXPECT_EQ(order(), (QList<int>{5, 1, 2, 3, 4, 0}));
    album.move(5, 0); // to the front: the others keep their order
    EXPECT_EQ(order(), (QList<int>{0, 5, 1, 2, 3, 4}));
    album.move(1, 5); // to the end
    EXPECT_EQ(order(), (QList<int>{0, 1, 2, 3, 4, 5}));
    album.reorder({3, 5, 0, 1, 4, 2});
    EXPECT_EQ(order(), (QList<int>{3, 5, 0, 1, 4, 2}));
    album.reorder({0, 0, 1, 2, 3, 4}); // not a permutation
    album.reorder({0, 1});             // wrong length
    album.exchange(2, 2);
    album.exchange(-1, 2);
    album.move(0, 6);
    EXPECT_EQ(order(), (QList<int>{3, 5, 0, 1, 4, 2}));
    album.remove(1);
    EXPECT_EQ(order(), (QList<int>{3, 0, 1, 4, 2}));
    album.removeAll({4, 0, 4, 2});
    EXPECT_EQ(order(), (QList<int>{0, 4}));
    album.remove(7);
    EXPECT_EQ(order(), (QList<int>{0, 4}));

    album.setBookmark(1, 123);
    album.setPlayCount(1, 9);
    EXPECT_EQ(cells.cells.at(1).bookmark, 123);
    EXPECT_EQ(cells.cells.at(1).count, 9);
}

TEST_F(AlbumTest, MediaEntriesAreFoundBelowTheDriveRoot) {
    album.setIdentity(book, QStringLiteral("旅"), 0, BookMode::Media);
    album.append(QStringLiteral("動画/a.avi"), {});
    EXPECT_TRUE(album.rootUnknown());
    EXPECT_EQ(album.fullPath(0), QStringLiteral("動画/a.avi"));

    album.setMedium(MediumRecord{3, 0x1234, "USB"}, "/media/f/");
    EXPECT_FALSE(album.rootUnknown());
    EXPECT_EQ(album.fullPath(0), QStringLiteral("/media/f/動画/a.avi"));
    EXPECT_EQ(album.entryFor(QStringLiteral("/media/f/動画/b.avi")), QStringLiteral("動画/b.avi"));
    EXPECT_TRUE(album.containsFile(QStringLiteral("/media/f/動画/A.AVI")));
    EXPECT_FALSE(album.containsFile(QStringLiteral("/media/g/動画/a.avi")));
    EXPECT_EQ(cells.cells.at(0).title, "a.avi");
}

TEST_F(AlbumTest, SavesWriteTheStoreThenTheAlbumAndOneMarksLinePerVideo) {
    QStringList bookCopy;
    album.setEntriesSaved([&](const QStringList& entries) { bookCopy = entries; });
    fill(2);
    album.setBookmark(1, 4242);
    ASSERT_TRUE(album.saveAlbum(dialogs));
    ASSERT_TRUE(album.saveMarks(dialogs));
    EXPECT_EQ(bookCopy, album.entries());
    EXPECT_EQ(contents(album.paths().album), "/v/v0.avi\r\n/v/v1.avi\r\n");
    EXPECT_EQ(contents(album.paths().marks), "0\r\n4242\r\n");
    EXPECT_EQ(contents(album.paths().counts), "0\r\n1\r\n");
    Tpackedjpg stored;
    ASSERT_TRUE(stored.loadFromFile(album.paths().store));
    EXPECT_EQ(stored.count(), 2);

    album.removeAll({0, 1});
    ASSERT_TRUE(album.saveAlbum(dialogs));
    EXPECT_EQ(contents(album.paths().album), QByteArray()); // an empty album is 0 bytes

    // A write that fails is shown and leaves the old file whole.
    fill(1);
    QDir(book.bookFolder).removeRecursively();
    QFile(book.bookFolder.chopped(1)).open(QIODevice::WriteOnly); // a file where the folder was
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(DialogService::Answer::Ok);
    EXPECT_FALSE(album.saveMarks(dialogs));
    EXPECT_EQ(dialogs.messages().size(), 2); // both files named
}
