// Files made to hang, flood or exhaust whatever opens them: FIFOs named like videos, playlists
// and concat lists named like videos, and pictures of hostile sizes. Each must fail (or
// succeed) quickly and within bounded memory, in the folder listing, the frame grabber, the
// thumbnail pool and the player.

#include "Fixtures.h"
#include "core/RegularFiles.h"
#include "core/VideoExtensions.h"
#include "core/VideoOperations.h"
#include "media/FrameGrabber.h"
#include "media/MediaFacts.h"
#include "media/MpvPlayer.h"
#include "media/ThumbnailPool.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavimo;
using namespace tavimo::media;
using namespace tavimo::media::test;

namespace {

void write(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// Lets a reader blocked in opening the FIFO go: it opens, then reads the end of the data.
void attachWriter(const QString& fifo) {
    const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
}

// Runs `work` on another thread. Should it block opening the FIFO (as it did when FIFOs were
// opened), writers are attached until it returns, so that the test fails instead of hanging.
template <class Work> auto releasingFifo(const QString& fifo, Work work) {
    auto result = std::async(std::launch::async, work);
    if (result.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "blocked opening the FIFO " << fifo.toStdString();
        while (result.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout)
            attachWriter(fifo);
    }
    return result.get();
}

std::string lines(const QStringList& list) {
    return list.join(u'\n').toStdString();
}

// Loads `path` on an active headless player; the code loaded() gave, or -1000 when it
// gave none within a minute.
int renderCode(MpvPlayer& mpv, const QString& path) {
    mpv.setActive(true);
    QSignalSpy spy(&mpv, &MpvPlayer::loaded);
    mpv.loadFile(path);
    if (!spy.wait(60000))
        return -1000;
    return spy.at(0).at(0).toInt();
}

class HostileFiles : public ::testing::Test {
protected:
    QString file(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(HostileFiles, AFifoNamedLikeAVideoIsNeitherListedNorOpened) {
    const QString fifo = file(QStringLiteral("pipe.mp4"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    write(file(QStringLiteral("clip.avi")), "not really a video");
    ASSERT_TRUE(QFile::link(fifo, file(QStringLiteral("to-pipe.mkv"))));
    ASSERT_TRUE(QFile::link(file(QStringLiteral("clip.avi")), file(QStringLiteral("to-clip.mkv"))));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.mp4")));

    // Symbolic links count by what they lead to.
    EXPECT_TRUE(isRegularFile(file(QStringLiteral("clip.avi"))));
    EXPECT_TRUE(isRegularFile(file(QStringLiteral("to-clip.mkv"))));
    EXPECT_FALSE(isRegularFile(fifo));
    EXPECT_FALSE(isRegularFile(file(QStringLiteral("to-pipe.mkv"))));
    EXPECT_FALSE(isRegularFile(file(QStringLiteral("folder.mp4"))));
    EXPECT_FALSE(isRegularFile(file(QStringLiteral("missing.mp4"))));
    EXPECT_FALSE(isRegularFile(QString()));

    EXPECT_EQ(lines(videosInFolder(dir.path(), VideoExtensions())),
              lines({file(QStringLiteral("clip.avi")), file(QStringLiteral("to-clip.mkv"))}));

    for (const QString& path : {fifo, file(QStringLiteral("to-pipe.mkv"))}) {
        const GrabResult grab = releasingFifo(path, [&] {
            FrameGrabber grabber;
            return grabber.grab(path, GrabPoint::FirstFrame);
        });
        EXPECT_EQ(grab.outcome, GrabOutcome::Failed);
        EXPECT_FALSE(grab.error.isEmpty());
        EXPECT_TRUE(releasingFifo(path, [&] { return FrameGrabber().frameAt(path, 0); }).isNull());
        EXPECT_FALSE(releasingFifo(path, [&] { return readMediaFacts(path); }).opened);
    }

    MpvPlayer mpv;
    mpv.setActive(true);
    QSignalSpy loaded(&mpv, &MpvPlayer::loaded);
    mpv.loadFile(fifo);
    if (!loaded.wait(10000)) {
        ADD_FAILURE() << "the player blocked opening the FIFO";
        while (loaded.isEmpty() && !loaded.wait(50))
            attachWriter(fifo);
    } else {
        EXPECT_EQ(loaded.at(0).at(0).toInt(), MpvPlayer::LoadFailed);
    }
}

// Playlists and concat lists named like videos: those that name themselves would read for a
// minute and fill gigabytes, those that name a real video would pass for it. Neither is the
// one file the user chose: they fail, and fail before reading anything else.
TEST_F(HostileFiles, PlaylistsAndConcatListsNamedLikeVideosAreRefused) {
    const QString real = fixture(QStringLiteral("mp4_h264_640x480.mp4"));
    QStringList lists;
    auto list = [&](const char* name, const QByteArray& text) {
        lists << file(QString::fromLatin1(name));
        write(lists.last(), text);
    };
    list("loop.mkv", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nloop.mkv\n");
    list("segments.mkv", "#EXTM3U\n#EXTINF:1,\nsegments.mkv\n#EXTINF:1,\nsegments.mkv\n");
    list("names-a-video.mp4", "#EXTM3U\n#EXT-X-TARGETDURATION:3\n#EXTINF:3,\n" +
                                  QFile::encodeName(real) + "\n#EXT-X-ENDLIST\n");
    list("self.avi", "ffconcat version 1.0\nfile self.avi\nfile self.avi\n");
    list("concat.mp4", "ffconcat version 1.0\nfile '" + QFile::encodeName(real) + "'\n");

    FrameGrabber grabber;
    MpvPlayer mpv;
    for (const QString& path : lists) {
        const std::string name = QFileInfo(path).fileName().toStdString();
        for (GrabPoint point : {GrabPoint::FirstFrame, GrabPoint::HalfSecond}) {
            const GrabResult grab = grabber.grab(path, point);
            EXPECT_EQ(grab.outcome, GrabOutcome::Failed) << name;
            EXPECT_FALSE(grab.error.isEmpty()) << name;
        }
        EXPECT_TRUE(grabber.frameAt(path, 0).isNull()) << name;
        EXPECT_FALSE(readMediaFacts(path).opened) << name;
        EXPECT_EQ(renderCode(mpv, path), MpvPlayer::LoadFailed) << name;
    }
    // The real video itself still opens.
    EXPECT_EQ(grabber.grab(real, GrabPoint::FirstFrame).outcome, GrabOutcome::Built);
}

// An MJPEG of 8 x 16000 whose pixels are 2048 times as wide as high is shown 16384 x 16000:
// a picture of that size is 1 GiB. The thumbnail is scaled from the decoded 8 x 16000 frame
// straight to its 92 x 90 place; a picture without a size asked for is bounded.
TEST(HostileSizes, AHugeAspectRatioNeverMakesAHugePicture) {
    const QString tall = fixture(QStringLiteral("tall_8x16000_sar2048.avi"));
    FrameGrabber grabber;
    for (GrabPoint point : {GrabPoint::FirstFrame, GrabPoint::HalfSecond}) {
        const GrabResult shown = grabber.grab(tall, point);
        ASSERT_EQ(shown.outcome, GrabOutcome::Built) << shown.error.toStdString();
        EXPECT_LE(qint64(shown.picture.width()) * shown.picture.height(), maxPicturePixels);
        // Still the displayed proportions, 16384 : 16000.
        EXPECT_NEAR(double(shown.picture.width()) / shown.picture.height(), 1.024, 0.01);
        EXPECT_TRUE(showsQuadrants(shown.picture, red, green, blue,
                                   point == GrabPoint::FirstFrame ? black : white));

        const GrabResult fitted = grabber.grab(tall, point, QSize(120, 90));
        ASSERT_EQ(fitted.outcome, GrabOutcome::Built);
        EXPECT_EQ(fitted.picture.size(), QSize(92, 90));
    }
    // The exact frame has the coded size.
    EXPECT_EQ(grabber.frameAt(tall, 0).size(), QSize(8, 16000));

    const Thumbnail thumbnail = ThumbnailPool::make(tall, GrabPoint::FirstFrame, Qt::magenta);
    ASSERT_TRUE(thumbnail.built());
    EXPECT_EQ(thumbnail.bitmap.size(), QSize(120, 90));
    // Placed at (14, 0) to (106, 90), black either side.
    EXPECT_EQ(thumbnail.bitmap.pixelColor(13, 45), QColor(Qt::black));
    EXPECT_TRUE(near(thumbnail.bitmap.pixel(30, 20), red));
    EXPECT_TRUE(near(thumbnail.bitmap.pixel(90, 20), green));
    EXPECT_EQ(thumbnail.bitmap.pixelColor(106, 45), QColor(Qt::black));
}

// Frames of more pixels than a worker may decode (4096 x 4096) are not decoded: the file is
// built without a picture, as an audio file is, and stays in its album.
TEST(HostileSizes, FramesOverTheBoundAreNotDecoded) {
    const QString huge = fixture(QStringLiteral("huge_4096x4096.mp4"));
    FrameGrabber grabber;
    const GrabResult grab = grabber.grab(huge, GrabPoint::FirstFrame);
    EXPECT_EQ(grab.outcome, GrabOutcome::Built);
    EXPECT_TRUE(grab.picture.isNull());
    EXPECT_FALSE(grab.error.isEmpty());
    EXPECT_TRUE(grabber.frameAt(huge, 0).isNull());

    const Thumbnail thumbnail = ThumbnailPool::make(huge, GrabPoint::HalfSecond, Qt::magenta);
    ASSERT_TRUE(thumbnail.built());
    EXPECT_EQ(thumbnail.bitmap.pixelColor(60, 45), QColor(Qt::black));
    EXPECT_EQ(thumbnail.bitmap.pixelColor(0, 89), QColor(Qt::magenta));
}

TEST(HostileSizes, FittingKeepsTheProportionsAndTheThumbnailRule) {
    EXPECT_EQ(fitInto(QSize(720, 480), QSize(120, 90)), QSize(120, 80));
    EXPECT_EQ(fitInto(QSize(640, 480), QSize(120, 90)), QSize(120, 90));
    EXPECT_EQ(fitInto(QSize(480, 640), QSize(120, 90)), QSize(67, 90));
    EXPECT_EQ(fitInto(QSize(16384, 16000), QSize(120, 90)), QSize(92, 90));
    // Extremes keep a side of at least one pixel.
    EXPECT_EQ(fitInto(QSize(16384, 1), QSize(120, 90)), QSize(120, 1));
    EXPECT_EQ(fitInto(QSize(1, 16384), QSize(120, 90)), QSize(1, 90));
    EXPECT_TRUE(fitInto(QSize(0, 480), QSize(120, 90)).isEmpty());

    EXPECT_EQ(boundedSize(QSize(1920, 1080)), QSize(1920, 1080));
    const QSize big = boundedSize(QSize(16384, 16000));
    EXPECT_LE(qint64(big.width()) * big.height(), maxPicturePixels);
    EXPECT_GT(qint64(big.width()) * big.height(), maxPicturePixels * 99 / 100);
    const QSize line = boundedSize(QSize(1'000'000'000, 1));
    EXPECT_EQ(line.height(), 1);
    EXPECT_LE(line.width(), maxPicturePixels);
}

} // namespace
