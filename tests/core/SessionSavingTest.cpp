// How the session saves: within a bounded time while changes keep coming, never dropping a
// failed save, asking before a failing book is left, and never writing over what it could not
// read.

#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/SaveUnit.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class SessionSavingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        for (const QString& name : {QStringLiteral("A"), QStringLiteral("B")}) {
            session.book().appendAlbum({name});
            const QString file = session.book().albumPaths(session.book().count() - 1).album;
            ASSERT_TRUE(
                session.flush([&](SaveUnit& unit) { return unit.stage(file, QByteArray()); }));
        }
    }

    void appendVideo(int k) {
        session.album().append(QStringLiteral("/v/%1.avi").arg(k),
                               jpeg::encode(imagefunc::solidBitmap(120, 90, Qt::red)), k, k);
    }
    qsizetype linesOnDisk(const QString& path) {
        return textfile::readLines(path).value_or(QStringList()).size();
    }

    QTemporaryDir dir;
    QString library = dir.path() + u'/';
    test::FakeVolumeTable volumes;
    test::ScriptedDialogService dialogs;
    LibrarySession session{library, dialogs, volumes};
};

} // namespace

TEST_F(SessionSavingTest, ChangesThatKeepComingAreWrittenWhileTheyCome) {
    ASSERT_TRUE(session.openAlbum(0));
    const QString albumFile = session.album().paths().album;
    // A change every 50 ms never leaves the 250 ms of quiet that a save waits for; the save
    // comes all the same, at the latest 500 ms after the first change it holds.
    QList<qsizetype> onDisk;
    for (int k = 0; k < 30; ++k) {
        appendVideo(k);
        QTest::qWait(50);
        onDisk.append(linesOnDisk(albumFile));
    }
    // 650 ms and more after the first change, and again at least 850 ms later.
    EXPECT_GT(onDisk.at(12), 0) << "nothing was written while the changes came";
    EXPECT_GT(onDisk.last(), onDisk.at(12)) << "written once, then no more";
}

TEST_F(SessionSavingTest, AFailedSaveStaysUntilItSucceedsAndLeavingTheBookAsksFirst) {
    ASSERT_TRUE(session.openAlbum(0));
    appendVideo(1);
    const BookPaths book = session.bookPaths();
    const QString images = book.imagesFolder.chopped(1);
    // The album's pictures cannot be written: their folder is gone.
    ASSERT_TRUE(QDir().rename(images, images + QStringLiteral(".away")));
    dialogs.answer(DialogService::Answer::Ok);
    EXPECT_FALSE(session.flush());
    EXPECT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(session.saveFailure().contains(QStringLiteral("A.pjpg")));
    EXPECT_FALSE(session.flush()) << "still failing";
    EXPECT_EQ(dialogs.messages().size(), 1) << "said once while it fails the same way";
    EXPECT_TRUE(session.hasPendingSaves());

    // Leaving the book asks; "no" keeps everything as it is.
    dialogs.answer(DialogService::Answer::No);
    EXPECT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Kept);
    EXPECT_TRUE(dialogs.messages().last().contains(session.saveFailure()));
    EXPECT_TRUE(session.albumOpen());
    EXPECT_EQ(session.album().count(), 1);
    dialogs.answer(DialogService::Answer::No);
    EXPECT_FALSE(session.switchMode(BookMode::Media));
    EXPECT_EQ(session.mode(), BookMode::Normal);

    // Once the folder is back, the retry writes what was pending.
    ASSERT_TRUE(QDir().rename(images + QStringLiteral(".away"), images));
    for (int waited = 0; session.hasPendingSaves() && waited < 100; ++waited)
        QTest::qWait(50);
    EXPECT_FALSE(session.hasPendingSaves());
    EXPECT_EQ(linesOnDisk(session.album().paths().album), 1);

    // Failing again, "yes" leaves without it.
    appendVideo(2);
    ASSERT_TRUE(QDir().rename(images, images + QStringLiteral(".away")));
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(DialogService::Answer::Yes);
    EXPECT_TRUE(session.switchMode(BookMode::Media));
    EXPECT_FALSE(session.bookOpen());
    EXPECT_EQ(linesOnDisk(AlbumPaths::of(book, QStringLiteral("A")).album), 1);
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(SessionSavingTest, ABookPictureStoreThatCannotBeReadIsKeptBesideBeforeItIsReplaced) {
    const QString store = session.bookPaths().pictureStore;
    ASSERT_TRUE(session.closeBook());
    QFile file(store);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture store at all");
    file.close();
    ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    EXPECT_EQ(contents(store + QStringLiteral(".damaged")), "not a picture store at all");
    Tpackedjpg pictures;
    ASSERT_TRUE(pictures.loadFromFile(store));
    EXPECT_EQ(pictures.count(), 2) << "one picture for each album again";
}

TEST_F(SessionSavingTest, AnOpenAlbumsEntriesNameAndMediumAreKeptOnce) {
    ASSERT_TRUE(session.openAlbum(1));
    appendVideo(7);
    EXPECT_EQ(session.entriesOf(1), QStringList{"/v/7.avi"});
    EXPECT_TRUE(session.book().album(1).entries.isEmpty()) << "the album holds them while open";
    session.closeAlbum();
    EXPECT_EQ(session.book().album(1).entries, QStringList{"/v/7.avi"});

    // A media book: the album's medium is the book's record, whoever records it.
    ASSERT_TRUE(session.switchMode(BookMode::Media));
    ASSERT_EQ(session.createBook(QStringLiteral("円盤"), QStringList{QStringLiteral("円盤")}),
              Book::LoadResult::Loaded);
    EXPECT_EQ(textfile::readLines(library + QStringLiteral("media.inf")),
              QStringList{QStringLiteral("円盤")})
        << "the media-book list is written with the book";
    session.book().appendAlbum({QStringLiteral("X")});
    ASSERT_TRUE(session.flush([&](SaveUnit& unit) {
        return unit.stage(session.book().albumPaths(0).album, QByteArray());
    }));
    ASSERT_TRUE(session.openAlbum(0));
    EXPECT_EQ(session.album().mode(), BookMode::Media);
    session.recordMedium(MediumRecord{3, 0x99, QStringLiteral("USB")}, QStringLiteral("/m/"));
    EXPECT_EQ(session.album().medium(), session.book().record(0));
    EXPECT_EQ(session.album().medium().serial, 0x99u);
}

TEST_F(SessionSavingTest, ASaveThatFailsOnTheWriterIsSaidOnceAndTriedAgainUntilItIsWritten) {
    ASSERT_TRUE(session.openAlbum(0));
    session.setSaveDelay(1);
    const QString images = session.bookPaths().imagesFolder.chopped(1);
    ASSERT_TRUE(QDir().rename(images, images + QStringLiteral(".away")));
    dialogs.answer(DialogService::Answer::Ok);
    appendVideo(1);
    for (int waited = 0; dialogs.messages().isEmpty() && waited < 200; ++waited)
        QTest::qWait(25);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().first().contains(QStringLiteral("A.pjpg")));
    EXPECT_TRUE(session.hasPendingSaves());
    QTest::qWait(2500); // a retry, failing the same way, is not said again
    EXPECT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(linesOnDisk(session.album().paths().album), 0);

    ASSERT_TRUE(QDir().rename(images + QStringLiteral(".away"), images));
    for (int waited = 0; session.hasPendingSaves() && waited < 200; ++waited)
        QTest::qWait(25);
    EXPECT_FALSE(session.hasPendingSaves());
    EXPECT_EQ(linesOnDisk(session.album().paths().album), 1);
    EXPECT_TRUE(dialogs.allAnswersUsed());
}
