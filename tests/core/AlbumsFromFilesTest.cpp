#include "core/AlbumFileCopy.h"
#include "core/AlbumFiles.h"
#include "core/AlbumImport.h"
#include "core/BookAlbumOperations.h"
#include "core/BookFile.h"
#include "core/DriveProbe.h"
#include "core/EntryFiles.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/Tpackedjpg.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;
using test::readTestFile;
using test::writeTestFile;

namespace {

QString fixture(const QString& name) {
    QString dir = qEnvironmentVariable("TAVIMO_FIXTURE_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral(TAVIMO_FIXTURE_DIR);
    return dir + u'/' + name;
}

QByteArray pictureOf(const QColor& color) {
    return jpeg::encode(imagefunc::solidBitmap(120, 90, color));
}

// A file of `bytes` that takes no room (a hole): copying it is real work all the same.
bool sparseFile(const QString& path, qint64 bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(bytes);
}

class AlbumsFromFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        library = dir.path() + u'/';
        ASSERT_EQ(session.createBook(QStringLiteral("Shelf")), Book::LoadResult::Loaded);
        dialogs.clear();
    }
    BookPaths book() const { return session.bookPaths(); }

    // Runs an import to its end through the event loop; the number imported, -1 when it did
    // not start or end.
    int importAlbums(const QStringList& files) {
        AlbumImportRun run(session);
        QSignalSpy finished(&run, &AlbumImportRun::finished);
        QObject::connect(&run, &AlbumImportRun::problemFound,
                         [this](const Problem& problem) { told.append(problem.message); });
        if (!run.start(files) || (finished.isEmpty() && !finished.wait(30000)))
            return -1;
        EXPECT_FALSE(run.isRunning());
        return finished.at(0).at(0).toInt();
    }

    // Album `name` of book "Old" whose thumbnail store is a hole of `bytes`.
    QString bigAlbum(const QString& name, qint64 bytes) {
        const AlbumPaths album =
            AlbumPaths::of(BookPaths::of(library, QStringLiteral("Old")), name);
        QDir().mkpath(QFileInfo(album.album).path());
        EXPECT_TRUE(albumfile::write(album.album, {QStringLiteral("/videos/a.mp4")}));
        EXPECT_TRUE(writeTestFile(album.marks, "0\r\n"));
        EXPECT_TRUE(sparseFile(album.store, bytes));
        return album.album;
    }
    // What the book folder holds of album `name` (temporaries too).
    QStringList filesOf(const QString& name) const {
        QStringList found;
        for (const QString& folder : {book().bookFolder, book().imagesFolder})
            for (const QString& file : QDir(folder).entryList(QDir::Files | QDir::Hidden))
                if (file.startsWith(name + u'.'))
                    found.append(file);
        return found;
    }

    QTemporaryDir dir;
    QString library;
    test::ScriptedDialogService dialogs;
    QStringList told; // what the imports would have the user told
    test::FakeVolumeTable volumes;
    LibrarySession session{dir.path(), dialogs, volumes};
};

} // namespace

TEST_F(AlbumsFromFilesTest, ImportCopiesTheAlbumsFilesAndTakesThePictureOfItsSourceBook) {
    // The source book "Old" of the same library: albums "x" (synchronised) and "y".
    const BookPaths old = BookPaths::of(library, QStringLiteral("Old"));
    ASSERT_TRUE(bookfile::write(old.bookFile, {{QStringLiteral("y")}, {QStringLiteral("x"), true}},
                                BookMode::Normal));
    Tpackedjpg oldPictures;
    oldPictures.addPicture(pictureOf(Qt::green));
    oldPictures.addPicture(pictureOf(Qt::red));
    ASSERT_TRUE(QDir().mkpath(old.imagesFolder));
    ASSERT_TRUE(oldPictures.saveToFile(old.pictureStoreBase()));
    const AlbumPaths x = AlbumPaths::of(old, QStringLiteral("x"));
    const QStringList videos{fixture(QStringLiteral("mp4_h264_640x480.mp4")),
                             fixture(QStringLiteral("avi_mpeg4_640x480.avi"))};
    ASSERT_TRUE(albumfile::write(x.album, videos));
    ASSERT_TRUE(writeTestFile(x.marks, "5000000\r\n0\r\n"));
    Tpackedjpg thumbnails;
    thumbnails.addPicture(pictureOf(Qt::blue));
    thumbnails.addPicture(pictureOf(Qt::yellow));
    ASSERT_TRUE(thumbnails.saveToFile(x.storeBase));
    ASSERT_TRUE(albumfile::write(AlbumPaths::of(old, QStringLiteral("y")).album, {}));
    // This book has an album "Y"; a file "x.cnt" is left from an album long gone.
    QList<Problem> problems;
    ASSERT_EQ(BookAlbumOperations(session).createAlbum(QStringLiteral("Y"), problems), 0);
    const AlbumPaths mine = session.book().albumPaths(0);
    ASSERT_TRUE(writeTestFile(mine.marks, "7\r\n"));
    const AlbumPaths imported = AlbumPaths::of(book(), QStringLiteral("x"));
    ASSERT_TRUE(writeTestFile(imported.counts, "99\r\n99\r\n"));
    session.flush();
    const QByteArray bookPictures = readTestFile(book().pictureStore);

    // A file named like this book in another case would make its store the book's pictures.
    const QString namedLikeBook = old.bookFolder + QStringLiteral("SHELF.alb");
    ASSERT_TRUE(albumfile::write(namedLikeBook, {}));
    Tpackedjpg decoy;
    decoy.addPicture(pictureOf(Qt::white));
    ASSERT_TRUE(decoy.saveToFile(old.imagesFolder + QStringLiteral("SHELF")));

    const int count =
        importAlbums({namedLikeBook, AlbumPaths::of(old, QStringLiteral("y")).album, x.album});
    EXPECT_EQ(count, 1);
    EXPECT_EQ(told, (QStringList{kImportNamedLikeBookMessage, kImportNameTakenMessage}));
    // Nothing of the album "Y" or of the book's pictures was replaced.
    EXPECT_EQ(readTestFile(mine.marks), QByteArray("7\r\n"));
    EXPECT_FALSE(QFileInfo::exists(book().imagesFolder + QStringLiteral("SHELF.pjpg")));

    // The album's files came along; the leftover counts file went, as "x" has none.
    EXPECT_EQ(readTestFile(imported.album), readTestFile(x.album));
    EXPECT_EQ(readTestFile(imported.marks), readTestFile(x.marks));
    EXPECT_EQ(readTestFile(imported.store), readTestFile(x.store));
    EXPECT_FALSE(QFileInfo::exists(imported.counts));
    ASSERT_EQ(session.book().count(), 2);
    const BookAlbum& row = session.book().album(1);
    EXPECT_EQ(row.name, QStringLiteral("x"));
    EXPECT_EQ(row.entries, videos);
    EXPECT_FALSE(row.folderSync);
    // Its picture is entry 1 of the source book's store: the line "x-->".
    EXPECT_EQ(row.jpeg, pictureOf(Qt::red));

    // Saved at once: the book file and the picture store hold the new album.
    const auto lines = bookfile::read(book().bookFile, BookMode::Normal);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 2);
    EXPECT_NE(readTestFile(book().pictureStore), bookPictures);
    Tpackedjpg saved;
    ASSERT_TRUE(saved.loadFromFile(book().pictureStore));
    EXPECT_EQ(saved.sharedPicture(1), pictureOf(Qt::red));
}

TEST_F(AlbumsFromFilesTest, AnImportedAlbumWithoutASourceBookGetsThePlaceholder) {
    const QString loose = dir.path() + QStringLiteral("/elsewhere/loose.alb");
    ASSERT_TRUE(writeTestFile(loose, {}));
    EXPECT_EQ(importAlbums({loose}), 1);
    EXPECT_EQ(session.book().album(0).jpeg, placeholderJpeg());

    // A line break in the name would split the album's line of the book file in two.
    const QString broken = dir.path() + QStringLiteral("/elsewhere/new\nline.alb");
    ASSERT_TRUE(writeTestFile(broken, {}));
    EXPECT_EQ(importAlbums({broken}), 0);
    EXPECT_EQ(told.size(), 1);
    EXPECT_EQ(session.book().count(), 1);
}

TEST_F(AlbumsFromFilesTest, AnImportStoppedMidwayLeavesNoFilesOfTheAlbumItWasCopying) {
    constexpr qint64 kStore = 256 << 20;
    const QString first = bigAlbum(QStringLiteral("first"), kStore);
    const QString second = bigAlbum(QStringLiteral("second"), 1024);
    const QStringList files{first, second};

    // Cancelled at its first progress: the album being copied joins the book whole, or not at
    // all and none of its files stay; the album after it is not begun.
    {
        AlbumImportRun run(session);
        QSignalSpy finished(&run, &AlbumImportRun::finished);
        QSignalSpy problems(&run, &AlbumImportRun::problemFound);
        QObject::connect(&run, &AlbumImportRun::progressed, &run, &AlbumImportRun::cancel);
        ASSERT_TRUE(run.start(files));
        EXPECT_TRUE(run.isRunning());
        ASSERT_TRUE(finished.wait(30000));
        EXPECT_EQ(finished.at(0).at(0).toInt(), session.book().count());
        if (session.book().count() == 1)
            EXPECT_EQ(QFileInfo(AlbumPaths::of(book(), QStringLiteral("first")).store).size(),
                      kStore);
        else
            EXPECT_EQ(filesOf(QStringLiteral("first")), QStringList());
        EXPECT_EQ(filesOf(QStringLiteral("second")), QStringList());
        EXPECT_TRUE(problems.isEmpty()); // a stop is no failure
    }
    while (session.book().count() > 0)
        session.book().removeAlbum(0);

    // The run destroyed midway (the program closing): joined, and the album it was copying
    // leaves nothing behind, whether its copy had ended or not.
    {
        auto run = std::make_unique<AlbumImportRun>(session);
        QSignalSpy progressed(run.get(), &AlbumImportRun::progressed);
        ASSERT_TRUE(run->start(files));
        ASSERT_TRUE(progressed.wait(30000));
        run.reset();
    }
    EXPECT_EQ(session.book().count(), 0);
    EXPECT_EQ(filesOf(QStringLiteral("first")), QStringList());

    // Another book opened midway: the album never joins it, nor stays in the old folder.
    {
        AlbumImportRun run(session);
        QSignalSpy finished(&run, &AlbumImportRun::finished);
        const BookPaths shelf = book();
        QObject::connect(&run, &AlbumImportRun::progressed, &session, [&] {
            if (session.bookPaths().title == shelf.title)
                session.createBook(QStringLiteral("Other"));
        });
        ASSERT_TRUE(run.start(files));
        ASSERT_TRUE(finished.wait(30000));
        EXPECT_EQ(finished.at(0).at(0).toInt(), 0);
        EXPECT_EQ(session.book().count(), 0);
        EXPECT_FALSE(QFileInfo::exists(AlbumPaths::of(shelf, QStringLiteral("first")).album));
        EXPECT_FALSE(QFileInfo::exists(AlbumPaths::of(shelf, QStringLiteral("first")).store));
    }
}

TEST_F(AlbumsFromFilesTest, CopyAllNamesWhatItCouldNotCopyAndReplacesTheRest) {
    const QString target = dir.path() + QStringLiteral("/copies/");
    ASSERT_TRUE(QDir().mkpath(target));
    const QString mp4 = fixture(QStringLiteral("mp4_h264_640x480.mp4"));
    const QString avi = fixture(QStringLiteral("avi_mpeg4_640x480.avi"));
    ASSERT_TRUE(writeTestFile(target + QStringLiteral("avi_mpeg4_640x480.avi"), "old"));
    const QString other = dir.path() + QStringLiteral("/other/mp4_h264_640x480.mp4");
    ASSERT_TRUE(writeTestFile(other, "same name"));
    const QString gone = dir.path() + QStringLiteral("/gone.mkv");

    AlbumFileCopy copy;
    QSignalSpy finished(&copy, &AlbumFileCopy::finished);
    QSignalSpy progressed(&copy, &AlbumFileCopy::progressed);
    copy.start({mp4, gone, avi, other}, target);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(finished.at(0).at(0).toStringList(), (QStringList{gone, other}));
    EXPECT_FALSE(finished.at(0).at(1).toBool());
    EXPECT_EQ(progressed.last().at(0).toInt(), 4);
    EXPECT_EQ(readTestFile(target + QStringLiteral("mp4_h264_640x480.mp4")), readTestFile(mp4));
    EXPECT_EQ(readTestFile(target + QStringLiteral("avi_mpeg4_640x480.avi")), readTestFile(avi));
    EXPECT_EQ(QDir(target).entryList(QDir::Files).size(), 2); // no temporary left behind

    // Stopped at once: what is there is whole, and the stop is not taken for failures.
    const QString second = dir.path() + QStringLiteral("/second/");
    ASSERT_TRUE(QDir().mkpath(second));
    copy.start({mp4, avi}, second);
    copy.cancel();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(finished.last().at(1).toBool());
    EXPECT_TRUE(finished.last().at(0).toStringList().isEmpty());
    for (const QString& name : QDir(second).entryList(QDir::Files))
        EXPECT_EQ(readTestFile(second + name), readTestFile(fixture(name))) << name.toStdString();
}

TEST_F(AlbumsFromFilesTest, CopyAllOfAMediaAlbumNeedsItsMedium) {
    session.closeBook();
    session.switchMode(BookMode::Media);
    ASSERT_EQ(session.createBook(QStringLiteral("Discs")), Book::LoadResult::Loaded);
    const QString root = volumes.mount(kMediumRemovable, 0xCAFE, QStringLiteral("USB"));
    ASSERT_TRUE(writeTestFile(root + QStringLiteral("dir/a.avi"), "a"));
    QList<Problem> problems;
    ASSERT_EQ(BookAlbumOperations(session).createAlbum(QStringLiteral("usb"), problems), 0);
    session.book().setEntries(0, {QStringLiteral("dir/a.avi"), QStringLiteral("dir\\b.avi")});
    session.book().setRecord(0, MediumRecord{kMediumRemovable, 0xCAFE, QStringLiteral("USB")});
    const DriveProbe probe(volumes);

    const AlbumVideoPaths found = albumVideoPaths(session.book(), 0, probe);
    EXPECT_FALSE(found.mediumMissing);
    EXPECT_EQ(found.paths, (QStringList{root + QStringLiteral("dir/a.avi"),
                                        root + QStringLiteral("dir/b.avi")}));
    volumes.eject(root);
    const AlbumVideoPaths away = albumVideoPaths(session.book(), 0, probe);
    EXPECT_TRUE(away.mediumMissing);
    EXPECT_TRUE(away.paths.isEmpty());
}
