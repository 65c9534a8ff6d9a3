#include "core/LibrarySession.h"

#include "core/AlbumContents.h"
#include "core/AlbumShowing.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "core/VideoExtensions.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavimo;

namespace {

QByteArray pictureOf(int shade) {
    return jpeg::encode(imagefunc::solidBitmap(120, 90, QColor(shade % 256, 0, shade / 256)));
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class LibrarySessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        for (const char* name : {"A", "B", "C"})
            addAlbum(QString::fromLatin1(name));
        session.flush();
    }

    // An album as making one leaves it: in the book, with its empty album file.
    void addAlbum(const QString& name) {
        session.book().appendAlbum({name});
        ASSERT_TRUE(
            textfile::writeLines(session.book().albumPaths(session.book().count() - 1).album, {}));
    }

    // Video k of the album: entry "/v/k.avi", bookmark 100 k, count k, picture k.
    void appendVideo(int k) {
        session.album().append(QStringLiteral("/v/%1.avi").arg(k), pictureOf(k), 100 * k, k);
    }
    static int videoOf(const QString& entry) { return entry.mid(3).chopped(4).toInt(); }

    // Every row of the open album still holds its own entry, picture, bookmark and count.
    void expectRowsWhole() {
        const Album& album = session.album();
        for (int i = 0; i < album.count(); ++i) {
            const int k = videoOf(album.entry(i));
            ASSERT_EQ(album.bookmark(i), 100 * k) << i;
            ASSERT_EQ(album.playCount(i), k) << i;
            ASSERT_EQ(album.pictureBytes(i), pictureOf(k)) << i;
        }
    }

    QTemporaryDir dir;
    test::FakeVolumeTable volumes;
    test::ScriptedDialogService dialogs;
    LibrarySession session{dir.path(), dialogs, volumes};
};

} // namespace

TEST_F(LibrarySessionTest, RandomChangesSavedAndReloadedKeepEveryRowWhole) {
    ASSERT_TRUE(session.openAlbum(1));
    QRandomGenerator random(20261207);
    int next = 0;
    for (int step = 0; step < 400; ++step) {
        Album& album = session.album();
        const int n = album.count();
        switch (random.bounded(8)) {
        case 0:
        case 1:
            appendVideo(next++);
            break;
        case 2:
            album.remove(n > 0 ? int(random.bounded(n)) : 0);
            break;
        case 3:
            if (n > 0)
                album.step(int(random.bounded(n)), RowStep(random.bounded(4)));
            break;
        case 4:
            album.moveRowBlock(int(random.bounded(n + 1)), int(random.bounded(3)),
                               int(random.bounded(n + 1)));
            break;
        case 5: {
            QList<int> order;
            for (int i = n - 1; i >= 0; --i)
                order.append(i);
            album.reorder(order);
            break;
        }
        case 6:
            session.flush();
            break;
        case 7: // the album is closed, the book saved and loaded again, the album reopened
            session.closeAlbum();
            ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
            ASSERT_TRUE(session.openAlbum(1));
            break;
        }
        expectRowsWhole();
        if (HasFatalFailure())
            return;
    }
    const QStringList entries = session.album().entries();
    session.closeAlbum();
    EXPECT_EQ(session.book().album(1).entries, entries); // the book heard every change
    ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    ASSERT_TRUE(session.openAlbum(1));
    EXPECT_EQ(session.album().entries(), entries);
    expectRowsWhole();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join(u'\n').toStdString();
}

TEST_F(LibrarySessionTest, ChangesAreWrittenOnceAfterTheLastAndAlwaysWhenTheAlbumCloses) {
    ASSERT_TRUE(session.openAlbum(0));
    for (int k = 0; k < 3; ++k)
        appendVideo(k);
    const AlbumPaths paths = session.album().paths();
    EXPECT_TRUE(session.hasPendingSaves());
    EXPECT_EQ(contents(paths.album), QByteArray()) << "nothing is written while changes come";
    for (int k = 0; k < 10; ++k)
        session.album().step(0, RowStep::ToEnd);
    session.closeAlbum();
    EXPECT_FALSE(session.hasPendingSaves());
    EXPECT_EQ(textfile::readLines(paths.album).value_or(QStringList()).size(), 3);
    EXPECT_EQ(session.book().album(0).entries.size(), 3);

    // The timer writes by itself once the changes stop.
    session.setSaveDelay(1);
    ASSERT_TRUE(session.openAlbum(0));
    session.album().setBookmark(0, 999);
    QElapsedTimer waited;
    waited.start();
    while (session.hasPendingSaves() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(session.hasPendingSaves());
    EXPECT_TRUE(contents(paths.marks).contains("999"));
}

TEST_F(LibrarySessionTest, AnAlbumWhoseFileCannotBeReadIsNeverWritten) {
    const AlbumPaths paths = session.book().albumPaths(2);
    // Bytes a file system may hold but no one can read as an album: a folder in its place.
    ASSERT_TRUE(QFile::remove(paths.album));
    ASSERT_TRUE(QDir().mkdir(paths.album));
    dialogs.answer(DialogService::Answer::Ok);
    ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    const qsizetype before = dialogs.messages().size();

    dialogs.answer(DialogService::Answer::Ok);
    ASSERT_TRUE(session.openAlbum(2));
    ASSERT_EQ(dialogs.messages().size(), before + 1); // said once
    EXPECT_TRUE(session.albumReadOnly());
    appendVideo(1);
    session.closeAlbum();
    EXPECT_TRUE(QFileInfo(paths.album).isDir());
    EXPECT_FALSE(QFile::exists(paths.marks));
}

TEST_F(LibrarySessionTest, ABookThatDidNotLoadIsNotOpenAndNothingOfItIsWritten) {
    const BookPaths paths = session.bookPaths();
    session.closeBook();
    const QByteArray bookBefore = contents(paths.bookFile);
    ASSERT_TRUE(QFile::remove(paths.bookFile));
    ASSERT_TRUE(QDir().mkdir(paths.bookFile)); // cannot be read as a file
    dialogs.answer(DialogService::Answer::Ok);
    EXPECT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Unreadable);
    EXPECT_FALSE(session.bookOpen());
    EXPECT_TRUE(session.saveBook()) << "nothing is open, so nothing is due";
    EXPECT_TRUE(QFileInfo(paths.bookFile).isDir());
    Tpackedjpg pictures;
    ASSERT_TRUE(pictures.loadFromFile(paths.pictureStore));
    EXPECT_EQ(pictures.count(), 3) << "the book's pictures stay as they were";
    EXPECT_FALSE(bookBefore.isEmpty());
}

TEST_F(LibrarySessionTest, ADamagedMediaRegistryStaysUntilARecordChangesAndIsThenKept) {
    ASSERT_TRUE(session.switchMode(BookMode::Media));
    ASSERT_EQ(session.createBook(QStringLiteral("円盤")), Book::LoadResult::Loaded);
    addAlbum(QStringLiteral("X"));
    session.book().setRecord(0, MediumRecord{1, 0x99, QStringLiteral("DISC")});
    session.flush();
    const QString mediaDat = session.bookPaths().mediaDat;
    QFile file(mediaDat);
    ASSERT_TRUE(file.resize(file.size() - 2)); // cut inside the record's label
    const QByteArray damaged = contents(mediaDat);

    dialogs.answer(DialogService::Answer::Ok);
    ASSERT_EQ(session.loadBook(QStringLiteral("円盤")), Book::LoadResult::Loaded);
    session.closeBook();
    EXPECT_EQ(contents(mediaDat), damaged) << "loading and leaving changed nothing";

    dialogs.answer(DialogService::Answer::Ok);
    ASSERT_EQ(session.loadBook(QStringLiteral("円盤")), Book::LoadResult::Loaded);
    session.book().setRecord(0, MediumRecord{3, 0x1234, QStringLiteral("USB")});
    session.flush();
    EXPECT_EQ(contents(mediaDat + QStringLiteral(".damaged")), damaged);
    EXPECT_NE(contents(mediaDat), damaged);
}

TEST_F(LibrarySessionTest, AKilledSaveLeavesFilesThatOpenWithEveryRowWhole) {
    const AlbumPaths paths = session.book().albumPaths(0);
    QRandomGenerator random(7);
    for (int round = 0; round < 20; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Keeps appending a video and saving, until it is killed.
            test::ScriptedDialogService quiet;
            LibrarySession writer{dir.path(), quiet, volumes};
            if (writer.loadBook(QStringLiteral("本")) != Book::LoadResult::Loaded ||
                !writer.openAlbum(0))
                _exit(2);
            for (int k = writer.album().count();; ++k) {
                writer.album().append(QStringLiteral("/v/%1.avi").arg(k), pictureOf(k), 100 * k, k);
                writer.flush();
            }
        }
        usleep(20000 + random.bounded(60000));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        const auto entries = textfile::readLines(paths.album);
        ASSERT_TRUE(entries.has_value());
        Tpackedjpg store;
        const AlbumContents opened = openAlbumContents(paths, *entries, store);
        ASSERT_TRUE(opened.marks.problems.isEmpty()) << "kill " << round;
        for (int i = 0; i < opened.entries.size(); ++i) {
            const int k = videoOf(opened.entries.at(i));
            ASSERT_EQ(k, i) << "kill " << round;
            ASSERT_EQ(opened.marks.bookmarks.at(i), 100 * k) << "kill " << round;
            ASSERT_EQ(opened.marks.counts.at(i), k) << "kill " << round;
            QByteArray jpeg;
            store.getPicture(i, jpeg);
            ASSERT_EQ(jpeg, pictureOf(k)) << "kill " << round << " row " << i;
        }
    }
}

TEST_F(LibrarySessionTest, AFolderSyncThatOnlyLosesVideosIsSavedWithAllItsFiles) {
    const QString folder = dir.path() + QStringLiteral("/videos/");
    const QString other = dir.path() + QStringLiteral("/elsewhere/");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QDir().mkpath(other));
    for (const QString& path : {folder + "a.avi", other + "b.avi"}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(session.openAlbum(0));
    session.album().append(folder + "a.avi", pictureOf(1), 100, 1);
    session.album().append(other + "b.avi", pictureOf(2), 200, 2);
    session.closeAlbum();

    ASSERT_TRUE(session.openAlbum(0));
    VideoExtensions extensions;
    EXPECT_FALSE(albumshow::synchroniseWithFolder(session.album(), extensions)); // none joined
    session.closeAlbum();
    const AlbumPaths paths = session.book().albumPaths(0);
    EXPECT_EQ(textfile::readLines(paths.album).value_or(QStringList()),
              QStringList{folder + "a.avi"});
    Tpackedjpg store;
    ASSERT_TRUE(store.loadFromFile(paths.store));
    EXPECT_EQ(store.count(), 1) << "the store follows the album file";
    EXPECT_EQ(contents(paths.marks), "100\r\n");
}

TEST_F(LibrarySessionTest, AnAlbumNamedLikeItsBookIsReportedAndNeverWritesTheBooksPictures) {
    addAlbum(QStringLiteral("本"));
    session.flush();
    const QByteArray bookPictures = contents(session.bookPaths().pictureStore);
    dialogs.answer(DialogService::Answer::Ok);
    ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    EXPECT_TRUE(dialogs.messages().last().contains(QStringLiteral("本")));
    ASSERT_TRUE(session.openAlbum(3));
    appendVideo(1);
    session.closeAlbum();
    EXPECT_EQ(contents(session.bookPaths().pictureStore), bookPictures);
}
