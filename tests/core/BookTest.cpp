#include "core/Book.h"

#include "core/BookFile.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/MediaDat.h"
#include "core/MediaRegistry.h"
#include "core/SaveUnit.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "support/ModelMirror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QByteArray picture(QRgb color) {
    return jpeg::encode(imagefunc::solidBitmap(120, 90, QColor(color)));
}

class BookTest : public ::testing::Test {
protected:
    QString library() const { return dir.path() + u'/'; }

    // A book on disk: its book file lines, an album file per name in `albums`, and a picture
    // store holding `pictures`.
    void makeBook(const QString& title, const QStringList& lines, const QStringList& albums,
                  const QList<QByteArray>& pictures) {
        const BookPaths paths = BookPaths::of(library(), title);
        ASSERT_TRUE(QDir().mkpath(paths.imagesFolder));
        ASSERT_TRUE(textfile::writeLines(paths.bookFile, lines));
        for (const QString& album : albums)
            ASSERT_TRUE(textfile::writeLines(AlbumPaths::of(paths, album).album,
                                             {QStringLiteral("/videos/") + album + ".avi"}));
        Tpackedjpg store;
        for (const QByteArray& jpeg : pictures)
            store.addPicture(jpeg);
        ASSERT_TRUE(store.saveToFile(paths.pictureStoreBase()));
    }

    // Loads the book and writes what loading fitted, as the session does.
    Book::LoadResult load(const QString& title, BookMode mode) {
        const Book::LoadResult result = book.load(library(), title, mode, told);
        SaveUnit unit(library());
        if (result == Book::LoadResult::Loaded && book.stageTo(unit) && unit.commit())
            book.markSaved();
        return result;
    }

    QByteArray contents(const QString& path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QList<QByteArray> storedPictures(const QString& title) const {
        Tpackedjpg store;
        store.loadFromFile(BookPaths::of(library(), title).pictureStore);
        QList<QByteArray> list;
        for (int i = 0; i < store.count(); ++i) {
            QByteArray jpeg;
            store.getPicture(i, jpeg);
            list.append(jpeg);
        }
        return list;
    }

    // The messages of what loading and opening would have the user told, in order.
    QStringList messages() const {
        QStringList list;
        for (const Problem& problem : told)
            list.append(problem.message);
        return list;
    }

    QTemporaryDir dir;
    QList<Problem> told;
    Book book;
    test::ModelMirror cells{book};
    const QByteArray red = picture(0xff0000), green = picture(0x00ff00), blue = picture(0x0000ff);
};

} // namespace

TEST_F(BookTest, SyncMarkersShowInNormalModeAndAreDroppedInMediaMode) {
    makeBook("本", {"A", "B-->", "C"}, {"A", "B", "C"}, {red, green, blue});
    ASSERT_EQ(load("本", BookMode::Normal), Book::LoadResult::Loaded);
    EXPECT_EQ(cells.names(), (QStringList{"A", "B", "C"}));
    EXPECT_FALSE(cells.cells[0].folderSync);
    EXPECT_TRUE(cells.cells[1].folderSync);
    EXPECT_EQ(book.album(2).jpeg, blue);
    EXPECT_EQ(book.album(1).entries, QStringList{"/videos/B.avi"});
    EXPECT_EQ(contents(book.paths().bookFile), QByteArray("A\r\nB-->\r\nC\r\n"));
    EXPECT_FALSE(QFile::exists(book.paths().mediaDat));

    ASSERT_EQ(load("本", BookMode::Media), Book::LoadResult::Loaded);
    EXPECT_EQ(cells.names(), (QStringList{"A", "B", "C"}));
    EXPECT_FALSE(cells.cells[1].folderSync);
    EXPECT_EQ(contents(book.paths().bookFile), QByteArray("A\r\nB\r\nC\r\n"));
    // No media.dat yet: one empty record per album, saved with the book.
    EXPECT_EQ(mediadat::decode(contents(book.paths().mediaDat)).records, QList<MediumRecord>(3));
    EXPECT_TRUE(told.isEmpty());
}

TEST_F(BookTest, AMissingAlbumLeavesTheBookWithItsPictureAndRecord) {
    makeBook("本", {"A", "B", "C"}, {"A", "C"}, {red, green, blue});
    const BookPaths paths = BookPaths::of(library(), "本");
    const QList<MediumRecord> records{{1, 11, "one"}, {2, 22, "two"}, {3, 33, "three"}};
    QFile media(paths.mediaDat);
    ASSERT_TRUE(media.open(QIODevice::WriteOnly));
    media.write(mediadat::encode(records));
    media.close();

    ASSERT_EQ(load("本", BookMode::Media), Book::LoadResult::Loaded);
    EXPECT_EQ(cells.names(), (QStringList{"A", "C"}));
    EXPECT_EQ(book.album(1).jpeg, blue);
    EXPECT_EQ(book.registry().records(), (QList<MediumRecord>{records[0], records[2]}));
    EXPECT_EQ(contents(paths.bookFile), QByteArray("A\r\nC\r\n"));
    EXPECT_EQ(storedPictures("本"), (QList<QByteArray>{red, blue}));
    EXPECT_EQ(mediadat::decode(contents(paths.mediaDat)).records,
              (QList<MediumRecord>{records[0], records[2]}));
}

TEST_F(BookTest, ShortMissingOrDamagedPictureStoresAreMendedWithPlaceholders) {
    makeBook("本", {"A", "B", "C"}, {"A", "B", "C"}, {red});
    ASSERT_EQ(load("本", BookMode::Normal), Book::LoadResult::Loaded);
    EXPECT_EQ(storedPictures("本"), (QList<QByteArray>{red, placeholderJpeg(), placeholderJpeg()}));
    EXPECT_EQ(book.album(2).jpeg, placeholderJpeg());
    EXPECT_FALSE(jpeg::decode(placeholderJpeg()).isNull());

    QFile::remove(BookPaths::of(library(), "本").pictureStore);
    ASSERT_EQ(load("本", BookMode::Normal), Book::LoadResult::Loaded);
    EXPECT_EQ(storedPictures("本"), QList<QByteArray>(3, placeholderJpeg()));

    // An entry that is not a JPEG at all.
    makeBook("本", {"A", "B"}, {}, {QByteArray("not a picture"), green});
    ASSERT_EQ(load("本", BookMode::Normal), Book::LoadResult::Loaded);
    EXPECT_EQ(storedPictures("本"), (QList<QByteArray>{placeholderJpeg(), green}));
}

TEST_F(BookTest, ADeletedBookFolderIsMadeAgainAndTheBookFileKept) {
    makeBook("本", {"A", "B-->"}, {"A", "B"}, {red, green});
    const BookPaths paths = BookPaths::of(library(), "本");
    ASSERT_TRUE(QDir(paths.bookFolder).removeRecursively());
    ASSERT_EQ(load("本", BookMode::Normal), Book::LoadResult::FoldersMade);
    EXPECT_TRUE(cells.cells.isEmpty());
    EXPECT_TRUE(QFileInfo(paths.imagesFolder).isDir());
    EXPECT_EQ(contents(paths.bookFile), QByteArray("A\r\nB-->\r\n"));
    EXPECT_FALSE(QFile::exists(paths.pictureStore));
}

TEST_F(BookTest, AnUnreadableBookFileIsReportedAndNeverOverwritten) {
    makeBook("本", {}, {}, {});
    const BookPaths paths = BookPaths::of(library(), "本");
    QFile::remove(paths.bookFile);
    ASSERT_TRUE(QDir().mkdir(paths.bookFile)); // a folder where the file should be
    EXPECT_EQ(load("本", BookMode::Normal), Book::LoadResult::Unreadable);
    EXPECT_TRUE(QFileInfo(paths.bookFile).isDir());
    EXPECT_EQ(messages().size(), 1);

    // A title that leads out of the library folder is refused before anything is touched.
    makeBook("外", {"A"}, {"A"}, {red});
    QDir().mkdir(library() + "sub");
    EXPECT_EQ(book.load(library() + "sub/", "../外", BookMode::Normal, told),
              Book::LoadResult::Unreadable);
    EXPECT_EQ(messages().size(), 2);
    EXPECT_TRUE(cells.cells.isEmpty());
}

TEST_F(BookTest, AnUnreadableAlbumFileIsReportedAndTheAlbumKept) {
    makeBook("本", {"A", "B"}, {"A"}, {red, green});
    const BookPaths paths = BookPaths::of(library(), "本");
    ASSERT_TRUE(QDir().mkdir(AlbumPaths::of(paths, "B").album));
    ASSERT_EQ(load("本", BookMode::Normal), Book::LoadResult::Loaded);
    EXPECT_EQ(cells.names(), (QStringList{"A", "B"}));
    EXPECT_TRUE(book.album(1).entries.isEmpty());
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().first().contains("B.alb"));
    EXPECT_EQ(contents(paths.bookFile), QByteArray("A\r\nB\r\n"));
}

TEST_F(BookTest, AFolderThatCannotBeMadeIsFatal) {
    makeBook("本", {"A"}, {"A"}, {red});
    const BookPaths paths = BookPaths::of(library(), "本");
    ASSERT_TRUE(QDir(paths.imagesFolder).removeRecursively());
    QFile blocker(paths.bookFolder + "images");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(load("本", BookMode::Normal), Book::LoadResult::FolderFailed);
    EXPECT_EQ(messages(), QStringList{"Can not Createdirectory!"});
    EXPECT_EQ(contents(paths.bookFile), QByteArray("A\r\n"));
}

TEST_F(BookTest, JapaneseAndOtherScriptNamesRoundTripAndUnsafeLinesAreDropped) {
    makeBook("旅行", {"夏休み-->", "여름", "../外", "冬"}, {"夏休み", "여름", "冬"},
             {red, green, blue, red});
    QFile(library() + "外.alb").open(QIODevice::WriteOnly);
    ASSERT_EQ(load("旅行", BookMode::Normal), Book::LoadResult::Loaded);
    EXPECT_EQ(cells.names(), (QStringList{"夏休み", "여름", "冬"}));
    EXPECT_EQ(book.album(2).jpeg, red);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().first().contains("../外"));
    const QByteArray stored = contents(book.paths().bookFile);
    EXPECT_TRUE(stored.startsWith(textcodec::kUtf8Bom)); // 여름 has no CP932 form
    EXPECT_EQ(bookfile::read(book.paths().bookFile, BookMode::Normal),
              (QList<bookfile::Line>{{"夏休み", true}, {"여름", false}, {"冬", false}}));
}

TEST_F(BookTest, EveryChangeKeepsAlbumsPicturesRecordsAndCellsInStep) {
    ASSERT_TRUE(book.openNew(library(), "本", BookMode::Media, told));
    EXPECT_FALSE(QFile::exists(book.paths().bookFile)) << "written by the save that follows";
    SaveUnit first(library());
    ASSERT_TRUE(book.stageTo(first) && first.commit());
    book.markSaved();
    EXPECT_EQ(contents(book.paths().bookFile), QByteArray());
    EXPECT_EQ(contents(book.paths().mediaDat), QByteArray("\x02\x00", 2));
    EXPECT_EQ(storedPictures("本"), QList<QByteArray>());

    const QList<QRgb> colours{0xff0000, 0x00ff00, 0x0000ff, 0xffff00};
    for (int i = 0; i < 4; ++i)
        book.appendAlbum(
            {QString(QChar(u'A' + i)), {}, false, {}, {}, MediumRecord{1, uint32_t(i + 1), {}}},
            imagefunc::solidBitmap(120, 90, QColor(colours[i])));
    book.appendAlbum({"E", {}, false}); // no picture: the placeholder

    // The invariant every operation must keep: album k, cell k, picture k and record k belong
    // together.
    auto expectInStep = [&](const QString& order) {
        ASSERT_EQ(book.count(), order.size());
        ASSERT_EQ(book.pictures().count(), order.size());
        ASSERT_EQ(book.registry().count(), order.size());
        ASSERT_EQ(cells.cells.size(), order.size());
        for (int k = 0; k < order.size(); ++k) {
            const int original = order[k].unicode() - u'A';
            EXPECT_EQ(book.album(k).name, QString(order[k]));
            EXPECT_EQ(cells.cells[k].name, QString(order[k]));
            EXPECT_EQ(book.registry().get(k).serial, uint32_t(original < 4 ? original + 1 : 0));
            QByteArray jpeg;
            book.pictures().getPicture(k, jpeg);
            EXPECT_EQ(book.album(k).jpeg, jpeg) << k;
            EXPECT_EQ(jpeg == placeholderJpeg(), original == 4) << k;
        }
    };
    expectInStep("ABCDE");
    book.step(0, RowStep::Forward);
    expectInStep("BACDE");
    book.step(4, RowStep::ToFront);
    expectInStep("EBACD");
    book.moveRowBlock(0, 2, 5);
    expectInStep("ACDEB");
    book.reorder({0, 4, 1, 2, 3});
    expectInStep("ABCDE");
    book.removeAlbum(1);
    book.removeAlbum(9);
    expectInStep("ACDE");

    book.setPicture(3, {});
    book.renameAlbum(0, "Z");
    book.setFolderSync(0, true);
    EXPECT_EQ(cells.cells[0].name, "Z");
    EXPECT_TRUE(cells.cells[0].folderSync);
    SaveUnit unit(library());
    ASSERT_TRUE(book.stageTo(unit) && unit.commit());
    book.markSaved();
    EXPECT_EQ(contents(book.paths().bookFile), QByteArray("Z\r\nC\r\nD\r\nE\r\n"));
    EXPECT_EQ(mediadat::decode(contents(book.paths().mediaDat)).records.size(), 4);
    EXPECT_EQ(storedPictures("本").size(), 4);
}

TEST_F(BookTest, ANewBookReusesAnOldFolder) {
    const BookPaths paths = BookPaths::of(library(), "本");
    ASSERT_TRUE(QDir().mkpath(paths.bookFolder)); // left behind, without its images folder
    ASSERT_TRUE(book.openNew(library(), "本", BookMode::Normal, told));
    EXPECT_TRUE(QFileInfo(paths.imagesFolder).isDir());
    EXPECT_FALSE(QFile::exists(paths.mediaDat));
}
