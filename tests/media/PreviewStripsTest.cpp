#include "media/PreviewStrips.h"

#include "Fixtures.h"
#include "core/JpegCodec.h"
#include "core/Tpackedjpg.h"
#include "media/ThumbnailPool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace tavimo;
using namespace tavimo::media;
using namespace tavimo::media::test;

namespace {

struct Step {
    quint64 video;
    int step;
    QImage picture;
};

// Strips over a cache in a temporary folder, with what they deliver.
class PreviewStripsTest : public ::testing::Test {
protected:
    PreviewStripsTest() { connect(*strips); }

    void connect(PreviewStrips& s) {
        QObject::connect(&s, &PreviewStrips::stepReady,
                         [this](quint64 video, int step, const QImage& picture) {
                             steps.append({video, step, picture});
                         });
        QObject::connect(&s, &PreviewStrips::unavailable,
                         [this](quint64 video) { unavailable.append(video); });
    }

    // Runs the event loop until `done` holds (true) or `ms` pass (false).
    static bool waitUntil(const std::function<bool()>& done, int ms = 30000) {
        return QTest::qWaitFor(done, ms);
    }
    // Hovers and waits for that step's picture.
    QImage hoverAndWait(PreviewStrips& s, quint64 video, const QString& path, int step) {
        const qsizetype before = steps.size();
        s.hover(video, path, step);
        if (!waitUntil([&] { return steps.size() > before; }))
            return {};
        const Step& got = steps.last();
        return got.video == video && got.step == step ? got.picture : QImage();
    }
    bool stripStored(const QString& path) {
        const auto key = PreviewKey::of(path);
        return key && QFile::exists(dir.filePath(key->fileName()));
    }

    QTemporaryDir dir;
    std::shared_ptr<PreviewStripCache> cache = std::make_shared<PreviewStripCache>(dir.path());
    ThumbnailPool pool{2};
    std::unique_ptr<PreviewStrips> strips = std::make_unique<PreviewStrips>(cache, pool);
    QList<Step> steps;
    QList<quint64> unavailable;
};

} // namespace

// The pattern's lower right quadrant tells the time: black, white from 0.3 s, yellow from 2 s.
TEST_F(PreviewStripsTest, TheHoveredStepComesFirstThenTheWholeStripIsKept) {
    const QString video = fixture("mp4_h264_640x480.mp4");
    const QImage last = hoverAndWait(*strips, 5, video, 9);
    ASSERT_FALSE(last.isNull());
    EXPECT_EQ(last.size(), QSize(120, 90));
    EXPECT_TRUE(showsQuadrants(last, red, green, blue, yellow));
    ASSERT_TRUE(waitUntil([&] { return stripStored(video); }));

    // The other steps are in memory now: each comes once, on the next turn of the loop.
    EXPECT_TRUE(showsQuadrants(hoverAndWait(*strips, 5, video, 0), red, green, blue, black));
    EXPECT_TRUE(showsQuadrants(hoverAndWait(*strips, 5, video, 3), red, green, blue, white));
    const qsizetype count = steps.size();
    strips->hover(5, video, 3);
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(steps.size(), count);

    // The stored strip holds the ten frames, the first black in the corner, the last yellow.
    const std::optional<QList<QByteArray>> stored = cache->load(*PreviewKey::of(video));
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), 10);
    EXPECT_TRUE(showsQuadrants(jpeg::decode(stored->first()), red, green, blue, black));
    EXPECT_TRUE(showsQuadrants(jpeg::decode(stored->last()), red, green, blue, yellow));

    // Once the pointer has left nothing comes.
    strips->hover(5, video, 6);
    strips->leave();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(steps.size(), count);
}

// Another session finds the strip on disk: what it shows is what the cache holds, not a new
// decoding of the video.
TEST_F(PreviewStripsTest, AStripOnDiskIsShownWithoutDecodingAndADamagedOneIsMadeAgain) {
    const QString video = fixture("mkv_h264_720x480_16x9.mkv");
    const PreviewKey key = *PreviewKey::of(video);
    QList<QByteArray> painted;
    for (int i = 0; i < 10; ++i) {
        QImage picture(120, 67, QImage::Format_RGB888);
        picture.fill(QColor(0, 20 * i, 200));
        painted.append(jpeg::encode(picture));
    }
    ASSERT_TRUE(cache->store(key, painted));
    const QImage fromDisk = hoverAndWait(*strips, 1, video, 4);
    ASSERT_FALSE(fromDisk.isNull());
    EXPECT_TRUE(near(fromDisk.pixel(60, 30), QColor(0, 80, 200), 12));

    // Damaged on disk, in a new session: made again from the video, and stored whole again.
    QFile file(dir.filePath(key.fileName()));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(file.size() / 2);
    file.close();
    auto second = std::make_unique<PreviewStrips>(cache, pool);
    connect(*second);
    const QImage remade = hoverAndWait(*second, 1, video, 0);
    ASSERT_FALSE(remade.isNull());
    EXPECT_EQ(remade.size(), QSize(120, 67)); // 16 : 9 shown
    EXPECT_TRUE(near(remade.pixel(30, 15), red));
    ASSERT_TRUE(waitUntil([&] { return cache->load(key).has_value(); }));
}

// A strip is made only while its cell is wanted: when the pointer moves on to another video
// before the first one's turn on the pool came, the first one is not made, and the second is.
TEST_F(PreviewStripsTest, AStripWhoseCellThePointerLeftBeforeItsTurnIsNotMade) {
    ThumbnailPool one{1};
    PreviewStrips s(cache, one);
    QSemaphore gate;
    one.threads().start([&gate] { gate.acquire(); }, 1); // holds the only worker
    const QString first = fixture("mp4_h264_640x480.mp4");
    const QString second = fixture("mkv_h264_720x480_16x9.mkv");
    s.hover(1, first, 0);
    waitUntil([] { return false; }, 200); // the event loop turns while the strip waits
    s.hover(2, second, 0);
    gate.release();
    ASSERT_TRUE(waitUntil([&] { return stripStored(second); }));
    one.threads().waitForDone();
    EXPECT_FALSE(stripStored(first));
}

TEST_F(PreviewStripsTest, AFileThatCannotBeDecodedKeepsItsThumbnail) {
    const QString broken = fixture("no_decoder.avi");
    strips->hover(2, broken, 4);
    ASSERT_TRUE(waitUntil([&] { return unavailable.size() == 1; }));
    strips->hover(3, fixture("missing.mp4"), 4);
    ASSERT_TRUE(waitUntil([&] { return unavailable.size() == 2; }));
    // Hovered again: known to fail, said at once, nothing stored.
    strips->hover(2, broken, 5);
    ASSERT_TRUE(waitUntil([&] { return unavailable.size() == 3; }));
    EXPECT_EQ(unavailable, (QList<quint64>{2, 3, 2}));
    EXPECT_TRUE(steps.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// The cells on screen get their strips, but not while thumbnails are being made.
TEST_F(PreviewStripsTest, VisibleCellsWaitForTheThumbnails) {
    const QStringList videos{fixture("mp4_h264_640x480.mp4"), fixture("avi_mpeg4_640x480.avi")};
    bool stripsWhenThumbnailsEnded = true;
    QObject::connect(&pool, &ThumbnailPool::finished, [&] {
        stripsWhenThumbnailsEnded = stripStored(videos.at(0)) || stripStored(videos.at(1));
    });
    pool.start(QStringList(6, fixture("mkv_h264_1280x720.mkv")), GrabPoint::FirstFrame);
    strips->prefetch({{1, videos.at(0)}, {2, videos.at(1)}});
    ASSERT_TRUE(waitUntil([&] { return stripStored(videos.at(0)) && stripStored(videos.at(1)); }));
    EXPECT_FALSE(stripsWhenThumbnailsEnded);
    EXPECT_TRUE(steps.isEmpty()); // made, not shown: no cell is hovered
}

// While thumbnails are made, the cell under the pointer gets the frames the pointer rests on,
// one by one, and the rest of its strip waits for the thumbnails to end. The first thumbnail's
// receiver waits (as on a dialog): the run goes on, the workers are free.
TEST_F(PreviewStripsTest, WhileThumbnailsAreMadeOnlyTheHoveredFramesAre) {
    const QString video = fixture("mp4_h264_640x480.mp4");
    bool checked = false;
    QObject::connect(&pool, &ThumbnailPool::made, [&](int, int index, const Thumbnail&) {
        if (index != 0)
            return;
        EXPECT_TRUE(showsQuadrants(hoverAndWait(*strips, 1, video, 9), red, green, blue, yellow));
        EXPECT_TRUE(showsQuadrants(hoverAndWait(*strips, 1, video, 0), red, green, blue, black));
        pool.threads().waitForDone(); // whatever the workers were given is done
        EXPECT_TRUE(pool.isRunning());
        EXPECT_FALSE(stripStored(video));
        checked = true;
    });
    QSignalSpy finished(&pool, &ThumbnailPool::finished);
    pool.start(QStringList(6, fixture("mkv_h264_1280x720.mkv")), GrabPoint::FirstFrame);
    ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); }));
    EXPECT_TRUE(checked);
    EXPECT_TRUE(waitUntil([&] { return stripStored(video); }));
    // The frames made meanwhile come from memory at once.
    EXPECT_FALSE(hoverAndWait(*strips, 1, video, 9).isNull());
}

// Cancelling thumbnails clears the pool's queue, strips queued there with them: they are made
// when they are wanted again.
TEST_F(PreviewStripsTest, AStripDroppedFromThePoolsQueueIsMadeLater) {
    const QString video = fixture("avi_mpeg4_640x480.avi");
    pool.start(QStringList(8, fixture("mkv_h264_1280x720.mkv")), GrabPoint::FirstFrame);
    strips->hover(9, video, 2); // queued behind the thumbnails
    pool.cancel();
    EXPECT_FALSE(hoverAndWait(*strips, 9, video, 2).isNull());
}
