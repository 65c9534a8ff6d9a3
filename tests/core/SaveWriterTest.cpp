// Saving off the interface thread: a unit holds the rows as they were when it was put together,
// the writer commits units in order and holds back the ones behind a failure, and the session
// lets the pictures of a thumbnail run wait while rows and the user's changes go at once.

#include "core/SaveWriter.h"

#include "core/Album.h"
#include "core/AlbumFiles.h"
#include "core/AlbumSaving.h"
#include "core/Book.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/SaveUnit.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray pictureOf(int shade) {
    return jpeg::encode(imagefunc::solidBitmap(64, 48, QColor(shade, shade, shade)));
}

template <class Done> bool waitUntil(Done done, int milliseconds = 10000) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

} // namespace

TEST(SaveWriterTest, AUnitWritesTheRowsAsTheyWereAndUnitsCommitInOrderOrNotAtAll) {
    QTemporaryDir dir;
    const QString library = dir.path() + u'/';
    QList<Problem> problems;
    Book book;
    ASSERT_TRUE(book.openNew(library, QStringLiteral("本"), BookMode::Normal, problems));
    book.appendAlbum({QStringLiteral("旅")});
    Album album;
    album.setIdentity(book, 0);
    for (int k = 0; k < 3; ++k)
        album.append(QStringLiteral("/v/%1.avi").arg(k), pictureOf(40 * k), 10 * k, k);

    QList<SaveWriter::Result> results;
    SaveWriter writer([&](const SaveWriter::Result& result) { results.append(result); });
    auto first = std::make_unique<SaveUnit>(library);
    ASSERT_TRUE(stageAlbumFiles(album, *first));
    // The rows go on changing while the unit waits for its turn.
    album.remove(0);
    album.setPicture(0, pictureOf(200));
    album.setBookmark(0, 777);
    writer.submit(std::move(first));
    writer.waitForAll();
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results.first().failure.ok) << results.first().failure.message().toStdString();
    const AlbumPaths paths = album.paths();
    EXPECT_EQ(albumfile::read(paths.album), (QStringList{"/v/0.avi", "/v/1.avi", "/v/2.avi"}));
    EXPECT_EQ(textfile::readLines(paths.marks), (QStringList{"0", "10", "20"}));
    Tpackedjpg stored;
    ASSERT_TRUE(stored.loadFromFile(paths.store));
    ASSERT_EQ(stored.count(), 3);
    QByteArray jpeg;
    ASSERT_TRUE(stored.getPicture(1, jpeg));
    EXPECT_EQ(jpeg, pictureOf(40));

    // Three units, the second failing (a folder stands where its file goes): the third, put
    // together before the failure was heard of, is not written, and the first is.
    const QString target = library + QStringLiteral("本/x.alb");
    auto unitWriting = [&](const QString& path, const QByteArray& bytes) {
        auto unit = std::make_unique<SaveUnit>(library);
        unit->stage(path, bytes);
        return unit;
    };
    ASSERT_TRUE(QDir().mkpath(library + QStringLiteral("本/blocked.alb")));
    results.clear();
    const quint64 one = writer.submit(unitWriting(target, "one"));
    const quint64 two = writer.submit(unitWriting(library + QStringLiteral("本/blocked.alb"), "2"));
    const quint64 three = writer.submit(unitWriting(target, "three"));
    writer.waitForAll();
    ASSERT_EQ(results.size(), 3);
    EXPECT_EQ((QList<quint64>{results[0].ticket, results[1].ticket, results[2].ticket}),
              (QList<quint64>{one, two, three}));
    EXPECT_TRUE(results[0].failure.ok);
    EXPECT_FALSE(results[1].failure.ok);
    EXPECT_FALSE(results[1].skipped);
    EXPECT_TRUE(results[2].skipped);
    EXPECT_EQ(contents(target), "one");
    // Once the failure is heard, the queue goes on; and the writer's end writes what it holds.
    writer.resume();
    {
        SaveWriter ending([](const SaveWriter::Result&) {});
        ending.submit(unitWriting(target, "last"));
    }
    EXPECT_EQ(contents(target), "last");
    EXPECT_TRUE(QDir(library + QStringLiteral("本"))
                    .entryList({QStringLiteral("*.??????")}, QDir::Files)
                    .isEmpty())
        << "no temporary file is left behind";
}

class PictureWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        session.book().appendAlbum({QStringLiteral("旅")});
        const QString file = session.book().albumPaths(0).album;
        ASSERT_TRUE(session.flush([&](SaveUnit& unit) { return unit.stage(file, QByteArray()); }));
        ASSERT_TRUE(session.openAlbum(0));
        paths = session.album().paths();
    }

    int storedPictures() {
        Tpackedjpg store;
        return store.loadFromFile(paths.store) ? store.count() : 0;
    }

    QTemporaryDir dir;
    QString library = dir.path() + u'/';
    test::FakeVolumeTable volumes;
    test::ScriptedDialogService dialogs;
    LibrarySession session{library, dialogs, volumes};
    AlbumPaths paths;
};

TEST_F(PictureWaitTest, RowsARunAddsGoAtOnceTheirPicturesLaterButAlwaysBeforeTheAlbumCloses) {
    for (int k = 0; k < 4; ++k)
        session.album().appendMade(QStringLiteral("/v/%1.avi").arg(k), pictureOf(30 * k));
    ASSERT_TRUE(waitUntil([&] {
        return textfile::readLines(paths.album).value_or(QStringList()).size() == 4;
    })) << "rows a run added reach the disk like any change";
    EXPECT_EQ(storedPictures(), 0) << "their pictures wait";
    EXPECT_TRUE(session.hasPendingSaves());

    // A user's change to the order takes the store along, so no picture is in another's place.
    session.album().step(3, RowStep::ToFront);
    ASSERT_TRUE(waitUntil([&] { return !session.hasPendingSaves(); }));
    ASSERT_EQ(storedPictures(), 4);
    Tpackedjpg store;
    ASSERT_TRUE(store.loadFromFile(paths.store));
    QByteArray jpeg;
    ASSERT_TRUE(store.getPicture(0, jpeg));
    EXPECT_EQ(jpeg, pictureOf(90));

    // Pictures made for videos already there wait as well; the end of a run sends them.
    session.album().setMadePicture(1, pictureOf(250));
    QTest::qWait(700);
    ASSERT_TRUE(store.loadFromFile(paths.store));
    ASSERT_TRUE(store.getPicture(1, jpeg));
    EXPECT_EQ(jpeg, pictureOf(0));
    session.saveSoon();
    ASSERT_TRUE(waitUntil([&] { return !session.hasPendingSaves(); }));
    ASSERT_TRUE(store.loadFromFile(paths.store));
    ASSERT_TRUE(store.getPicture(1, jpeg));
    EXPECT_EQ(jpeg, pictureOf(250));

    // A waiting picture is written when the album closes.
    session.album().appendMade(QStringLiteral("/v/9.avi"), pictureOf(9));
    session.closeAlbum();
    EXPECT_EQ(storedPictures(), 5);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join(u'\n').toStdString();
}

TEST_F(PictureWaitTest, AnAlbumWhoseStoreLagsOpensWithItsRowsAndMakesTheMissingPictures) {
    session.album().append(QStringLiteral("/v/a.avi"), pictureOf(10));
    session.flush();
    session.album().appendMade(QStringLiteral("/v/b.avi"), pictureOf(20));
    ASSERT_TRUE(waitUntil(
        [&] { return textfile::readLines(paths.album).value_or(QStringList()).size() == 2; }));
    ASSERT_EQ(storedPictures(), 1);
    // As after a kill: the program that made the picture is gone before it was written.
    LibrarySession other(library, dialogs, volumes);
    ASSERT_EQ(other.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    ASSERT_TRUE(other.openAlbum(0));
    ASSERT_EQ(other.album().count(), 2);
    EXPECT_EQ(other.album().pictureBytes(0), pictureOf(10));
    EXPECT_FALSE(other.album().needsThumbnail(0));
    EXPECT_TRUE(other.album().needsThumbnail(1)) << "made again when the album is shown";
}
