#include "core/Playback.h"

#include "core/LibrarySession.h"
#include "core/PlaybackBackend.h"
#include "core/TextFile.h"
#include "core/VolumeTable.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

// A backend that opens what it is told at once (or fails the paths listed in `broken`) and
// keeps a position the tests move by hand.
class FakeBackend final : public PlaybackBackend {
public:
    void open(const QString& path) override {
        opens.append(path);
        loaded_ = !broken.contains(path);
        playing_ = false;
        current = 0;
        if (answerAtOnce)
            Q_EMIT opened(loaded_);
    }
    void close() override {
        loaded_ = playing_ = false;
        ++closes;
    }
    bool isLoaded() const override { return loaded_; }
    bool play() override { return loaded_ && (playing_ = true); }
    bool pause() override {
        playing_ = false;
        return loaded_;
    }
    bool isPlaying() const override { return playing_; }
    qint64 durationMs() const override { return loaded_ ? duration / 10000 : 0; }
    bool positions(qint64* c, qint64* s) const override {
        *c = current;
        *s = duration;
        return loaded_;
    }
    bool seek(qint64 position) override {
        seeks.append(position);
        current = position;
        return loaded_;
    }
    bool frameStep(bool forward) override {
        playing_ = false;
        current =
            forward ? std::min(current + 400000, duration) : std::max<qint64>(current - 400000, 0);
        return loaded_;
    }

    QStringList opens, broken;
    QList<qint64> seeks;
    qint64 current = 0;
    qint64 duration = 20 * Playback::kOneMinute;
    int closes = 0;
    bool answerAtOnce = true;

private:
    bool loaded_ = false;
    bool playing_ = false;
};

class PlaybackTest : public ::testing::Test {
protected:
    // A book "本" with one album of `videos` files, open in the session.
    void openAlbum(const QStringList& videos, BookMode mode = BookMode::Normal) {
        session.switchMode(mode);
        ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        session.book().appendAlbum({QStringLiteral("旅")});
        ASSERT_TRUE(textfile::writeLines(session.book().albumPaths(0).album, videos));
        session.book().setEntries(0, videos);
        ASSERT_TRUE(session.openAlbum(0));
    }
    QString video(const QString& name) {
        const QString path = dir.path() + u'/' + name;
        EXPECT_TRUE(test::writeTestFile(path, {}));
        return path;
    }

    QTemporaryDir dir;
    test::FakeVolumeTable volumes;
    test::ScriptedDialogService dialogs;
    LibrarySession session{dir.path(), dialogs, volumes};
    FakeBackend backend;
    Playback playback{session, backend};
    QSignalSpy closing{&playback, &Playback::closeRequested};
};

} // namespace

TEST_F(PlaybackTest, OpeningPlaysCountsAndStartsAtTheBookmarkWhenAsked) {
    openAlbum({video("a.avi"), video("b.avi")});
    session.album().setBookmark(1, 3 * Playback::kOneMinute);
    QSignalSpy playing(&playback, &Playback::playing);
    playback.setIndex(1);
    playback.openAndPlay();
    EXPECT_TRUE(backend.isPlaying());
    EXPECT_EQ(session.album().playCount(1), 1);
    ASSERT_EQ(playing.size(), 1);
    EXPECT_EQ(playing.at(0).at(1).toLongLong(), 3 * Playback::kOneMinute);
    EXPECT_TRUE(backend.seeks.isEmpty()) << "from the start unless asked";

    playback.setPlayFromBookmark(true);
    playback.openAndPlay();
    EXPECT_EQ(backend.seeks, QList<qint64>{3 * Playback::kOneMinute});
    EXPECT_EQ(session.album().playCount(1), 2);

    // A bookmark of 0 is none: the video starts at its beginning.
    playback.setIndex(0);
    playback.openAndPlay();
    EXPECT_EQ(backend.seeks.size(), 1);
}

TEST_F(PlaybackTest, AVideoThatWillNotOpenClosesThePlayerAtTheStartIndex) {
    openAlbum({video("a.avi"), video("b.avi")});
    backend.broken = {session.album().fullPath(1)};
    QSignalSpy current(&playback, &Playback::currentVideoChanged);
    playback.setIndex(1);
    playback.openAndPlay();
    EXPECT_EQ(closing.size(), 1);
    EXPECT_FALSE(playback.isOpening());
    EXPECT_EQ(current.last().at(0).toInt(), 1);
    EXPECT_EQ(session.album().playCount(1), 0);
}

TEST_F(PlaybackTest, TheEndOfAVideoReplaysItOrGoesOnWrappingAround) {
    openAlbum({video("a.avi"), video("b.avi")});
    playback.setIndex(1);
    playback.openAndPlay();
    Q_EMIT backend.endOfMedia();
    EXPECT_EQ(playback.index(), 1);
    EXPECT_EQ(session.album().playCount(1), 2);

    playback.setContinuous(true);
    Q_EMIT backend.endOfMedia();
    EXPECT_EQ(playback.index(), 0);
    EXPECT_EQ(backend.opens.last(), session.album().fullPath(0));

    playback.previous();
    EXPECT_EQ(playback.index(), 1);
    playback.next();
    EXPECT_EQ(playback.index(), 0);
}

TEST_F(PlaybackTest, AnAlbumOfOneVideoReplaysItAndOneWithNoneLeftClosesThePlayer) {
    openAlbum({video("a.avi")});
    playback.setContinuous(true);
    playback.openAndPlay();
    Q_EMIT backend.endOfMedia();
    playback.next();
    playback.previous();
    EXPECT_EQ(backend.opens.size(), 4);
    EXPECT_EQ(playback.index(), 0);

    session.album().remove(0);
    playback.next();
    EXPECT_EQ(closing.size(), 1);
}

TEST_F(PlaybackTest, JumpsStayInsideTheVideoAndFrameStepsStopAtItsEdges) {
    openAlbum({video("a.avi")});
    playback.openAndPlay();
    backend.current = 3 * Playback::kOneMinute;
    playback.jump(-Playback::kTenMinutes);
    EXPECT_EQ(backend.current, 0);

    // One minute on with 30 seconds left starts again from the beginning, playing.
    backend.current = backend.duration - Playback::kOneMinute / 2;
    playback.jump(Playback::kOneMinute);
    EXPECT_EQ(backend.current, 0);
    EXPECT_TRUE(backend.isPlaying());

    // Ten minutes on with five left goes to the end.
    backend.current = backend.duration - 5 * Playback::kOneMinute;
    playback.jump(Playback::kTenMinutes);
    EXPECT_EQ(backend.current, backend.duration);

    backend.current = 0;
    playback.frameStep(false);
    EXPECT_EQ(backend.current, 0);
    EXPECT_FALSE(backend.isPlaying());
}

TEST_F(PlaybackTest, ABookmarkIsWrittenAtOnceAndItsMarkerStaysOnTheBar) {
    openAlbum({video("a.avi"), video("b.avi")});
    playback.setIndex(1);
    playback.openAndPlay();
    backend.current = 12345678;
    // Other changes wait for a quiet moment; a bookmark goes to the writer at once.
    session.setSaveDelay(60000);
    playback.setBookmark();
    QElapsedTimer waited;
    waited.start();
    while (session.hasPendingSaves() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(textfile::readLines(session.album().paths().marks).value_or(QStringList()),
              (QStringList{"0", "12345678"}));
    backend.current = 0;
    playback.goToBookmark();
    EXPECT_EQ(backend.current, 12345678);

    // The window's test checks that the marker stands over the thumb; here what lies beyond
    // the scale: a bookmark past the end (the file was replaced by a shorter one) stays at the
    // bar's end, not off it.
    const qint64 end = 1'200'000 * 10'000LL;
    const int atEnd = Playback::markerLeft(616, end, 1'200'000);
    EXPECT_LT(Playback::markerLeft(616, end / 2, 1'200'000), atEnd);
    EXPECT_EQ(Playback::markerLeft(616, 3 * end, 1'200'000), atEnd);
    EXPECT_EQ(Playback::markerLeft(616, 0, 1'200'000), -1);
    EXPECT_EQ(Playback::markerLeft(616, 5, 0), -1) << "no scale without a duration";
    EXPECT_EQ(Playback::timeText(0), "00.00");
    EXPECT_EQ(Playback::timeText(65'000), "01.05");
    EXPECT_EQ(Playback::timeText(7'507'000), "125.07");
    EXPECT_EQ(Playback::timeText(3'660'000), "61.00");
}

TEST_F(PlaybackTest, AReadOnlyAlbumPlaysButNeitherCountsNorTakesABookmark) {
    // An album named like its book is shown and never saved: what it changed would be lost.
    ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    session.book().appendAlbum({QStringLiteral("本")});
    const QStringList videos{video("a.avi")};
    ASSERT_TRUE(textfile::writeLines(session.book().albumPaths(0).album, videos));
    session.book().setEntries(0, videos);
    ASSERT_TRUE(session.openAlbum(0));
    ASSERT_TRUE(session.albumReadOnly());
    session.flush(); // the book's new album
    QSignalSpy marked(&playback, &Playback::bookmarkSet);
    playback.openAndPlay();
    EXPECT_TRUE(backend.isPlaying());
    backend.current = 12345678;
    playback.setBookmark();
    EXPECT_EQ(session.album().playCount(0), 0);
    EXPECT_EQ(session.album().bookmark(0), 0);
    EXPECT_TRUE(marked.isEmpty());
    EXPECT_FALSE(session.hasPendingSaves());
    EXPECT_FALSE(QFile::exists(session.album().paths().marks));
}

TEST_F(PlaybackTest, CommandsWaitWhileAVideoOpens) {
    openAlbum({video("a.avi"), video("b.avi")});
    backend.answerAtOnce = false;
    playback.openAndPlay();
    EXPECT_TRUE(playback.isOpening());
    playback.next();
    playback.jump(Playback::kOneMinute);
    playback.setBookmark();
    EXPECT_EQ(backend.opens.size(), 1);
    EXPECT_TRUE(backend.seeks.isEmpty());
    Q_EMIT backend.opened(true);
    EXPECT_FALSE(playback.isOpening());
    EXPECT_TRUE(backend.isPlaying());
}

TEST_F(PlaybackTest, AMediaAlbumFindsItsMediumOrAsksForItByItsLabel) {
    const QString usb = volumes.mount(kMediumRemovable, 0xAB, QStringLiteral("CAM"));
    ASSERT_TRUE(test::writeTestFile(usb + QStringLiteral("b.avi"), {}));
    openAlbum({QStringLiteral("a.avi"), QStringLiteral("b.avi")}, BookMode::Media);
    volumes.eject(usb);
    session.recordMedium(MediumRecord{kMediumRemovable, 0xAB, QStringLiteral("CAM")}, QString());

    QSignalSpy problems(&playback, &Playback::problemFound);
    playback.setIndex(1);
    playback.openAndPlay();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_EQ(problems.at(0).at(0).value<Problem>().message,
              QStringLiteral("ボリュームラベル　”CAM” の リムーバルディスクをセットしてください"));
    EXPECT_TRUE(backend.opens.isEmpty());

    // Back in a drive: found by its serial, the video it lacks leaves the album, and the one
    // asked for plays where it now stands, with its own count.
    const QString again = volumes.mount(kMediumRemovable, 0xAB, QStringLiteral("CAM"));
    ASSERT_TRUE(test::writeTestFile(again + QStringLiteral("b.avi"), {}));
    playback.openAndPlay();
    ASSERT_EQ(backend.opens, QStringList{again + QStringLiteral("b.avi")});
    EXPECT_EQ(session.album().count(), 1);
    EXPECT_EQ(playback.index(), 0);
    EXPECT_EQ(session.album().playCount(0), 1);
}

TEST_F(PlaybackTest, AMediaAlbumWrittenOnWindowsPlaysItsFileAndIsSavedWhole) {
    const QStringList entries{QStringLiteral("動画\\a.avi"), QStringLiteral("動画\\gone.avi"),
                              QStringLiteral("動画\\b.avi"), QStringLiteral("旅行\\c.avi"),
                              QStringLiteral("C:\\動画\\d.avi")};
    openAlbum(entries, BookMode::Media); // its medium is not in a drive yet
    Album& album = session.album();
    for (int i = 0; i < album.count(); ++i) {
        album.setBookmark(i, (i + 1) * Playback::kOneMinute);
        album.setPlayCount(i, i + 1);
    }
    const QString usb = volumes.mount(kMediumRemovable, 0x5A, QStringLiteral("CAM"));
    ASSERT_TRUE(test::writeTestFile(usb + QStringLiteral("動画/a.avi"), {}));
    ASSERT_TRUE(test::writeTestFile(usb + QStringLiteral("動画/b.avi"), {}));

    // Found by the file asked for; only the video gone from a folder that is there leaves.
    playback.setIndex(2);
    playback.openAndPlay();
    ASSERT_EQ(backend.opens, QStringList{usb + QStringLiteral("動画/b.avi")});
    EXPECT_EQ(playback.index(), 1);
    EXPECT_EQ(album.playCount(1), 4);

    session.flush();
    const AlbumPaths files = session.book().albumPaths(0);
    EXPECT_EQ(textfile::readLines(files.album),
              (QStringList{entries.at(0), entries.at(2), entries.at(3), entries.at(4)}));
    const qint64 minute = Playback::kOneMinute;
    EXPECT_EQ(textfile::readLines(files.marks),
              (QStringList{QString::number(minute), QString::number(3 * minute),
                           QString::number(4 * minute), QString::number(5 * minute)}));
    EXPECT_EQ(textfile::readLines(files.counts), (QStringList{"1", "4", "4", "5"}));
}
