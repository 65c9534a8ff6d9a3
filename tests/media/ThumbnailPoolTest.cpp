#include "media/ThumbnailPool.h"

#include "Fixtures.h"
#include "core/Colors.h"
#include "core/JpegCodec.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPalette>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tavimo;
using namespace tavimo::media;
using namespace tavimo::media::test;

namespace {

struct Delivery {
    int run;
    int index;
    Thumbnail thumbnail;
};

// Runs the event loop until the pool finishes `run` (or 60 s pass).
bool waitFor(ThumbnailPool& pool, int run) {
    QEventLoop loop;
    bool done = false;
    QObject::connect(&pool, &ThumbnailPool::finished, &loop, [&](int finished) {
        if (finished == run) {
            done = true;
            loop.quit();
        }
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    return done;
}

} // namespace

TEST(ThumbnailPool, ResultsComeInFileOrderWithTheirOutcomes) {
    ThumbnailPool pool(2);
    QList<Delivery> got;
    QObject::connect(&pool, &ThumbnailPool::made, [&](int run, int index, const Thumbnail& t) {
        got.append({run, index, t});
    });
    // The long file first: the quick ones behind it finish earlier but must wait their turn.
    const QStringList files{fixture("long_60s.mp4"),   fixture("mp4_h264_640x480.mp4"),
                            fixture("no_decoder.avi"), fixture("text.mpg"),
                            fixture("audio_only.mp4"), fixture("mkv_h264_720x480_16x9.mkv"),
                            fixture("missing.avi")};
    const int run = pool.start(files, GrabPoint::HalfSecond);
    ASSERT_TRUE(waitFor(pool, run));
    ASSERT_EQ(got.size(), files.size());
    for (int i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got.at(i).index, i);
        EXPECT_EQ(got.at(i).run, run);
    }
    const Thumbnail& video = got.at(1).thumbnail;
    ASSERT_TRUE(video.built());
    EXPECT_EQ(video.bitmap.size(), QSize(120, 90));
    EXPECT_EQ(video.bitmap.format(), QImage::Format_RGB888);
    // Half a second in, the lower right quadrant of the pattern is white.
    EXPECT_TRUE(showsQuadrants(video.bitmap, red, green, blue, white));
    EXPECT_EQ(video.bitmap.pixelColor(0, 89), colors::buttonFace());
    EXPECT_EQ(jpeg::decode(video.jpeg).size(), QSize(120, 90));

    EXPECT_EQ(got.at(2).thumbnail.outcome, GrabOutcome::Partial);
    EXPECT_EQ(got.at(3).thumbnail.outcome, GrabOutcome::Failed);
    EXPECT_TRUE(got.at(3).thumbnail.jpeg.isEmpty());
    EXPECT_EQ(got.at(6).thumbnail.outcome, GrabOutcome::Failed);

    // No frame at all: black, apart from the corner pixel.
    const Thumbnail& audio = got.at(4).thumbnail;
    ASSERT_TRUE(audio.built());
    EXPECT_EQ(audio.bitmap.pixelColor(60, 45), QColor(Qt::black));
    EXPECT_EQ(audio.bitmap.pixelColor(0, 89), colors::buttonFace());

    // A wide picture gets black bands above and below.
    const QImage& wide = got.at(5).thumbnail.bitmap;
    EXPECT_EQ(wide.pixelColor(60, 2), QColor(Qt::black));
    EXPECT_TRUE(near(wide.pixel(30, 30), red));

    // A 720 x 480 frame is drawn from row 5 up to row 85, black above and below.
    const int square = pool.start({fixture("mp4_h264_720x480.mp4")}, GrabPoint::FirstFrame);
    ASSERT_TRUE(waitFor(pool, square));
    const QImage& bands = got.last().thumbnail.bitmap;
    // (The lower right quadrant of the first frame is black itself, so the left half tells.)
    EXPECT_EQ(bands.pixelColor(30, 4), QColor(Qt::black));
    EXPECT_TRUE(near(bands.pixel(30, 5), red));
    EXPECT_TRUE(near(bands.pixel(30, 84), blue));
    EXPECT_EQ(bands.pixelColor(30, 85), QColor(Qt::black));
    EXPECT_EQ(bands.pixelColor(0, 89), colors::buttonFace());

    // The first frame of the grabber path has the black lower right quadrant.
    const int first = pool.start({fixture("mp4_h264_640x480.mp4")}, GrabPoint::FirstFrame);
    ASSERT_TRUE(waitFor(pool, first));
    EXPECT_TRUE(showsQuadrants(got.last().thumbnail.bitmap, red, green, blue, black));
}

// Workers never read the palette: its button colour, the corner pixel's, is read on the
// pool's own thread when the run starts, so a palette changed during the run does not reach
// it.
TEST(ThumbnailPool, TheCornerColourIsReadOnceWhenTheRunStarts) {
    const QPalette original = QGuiApplication::palette();
    const QColor atStart(0x12, 0x34, 0x56), later(0x65, 0x43, 0x21);
    QPalette palette = original;
    palette.setColor(QPalette::Button, atStart);
    QGuiApplication::setPalette(palette);
    ThumbnailPool pool(1);
    QList<Thumbnail> got;
    QObject::connect(&pool, &ThumbnailPool::made,
                     [&](int, int, const Thumbnail& t) { got.append(t); });
    // One thread has three files in work at most: the later ones start after the change.
    const QStringList files(6, fixture("mp4_h264_640x480.mp4"));
    const int run = pool.start(files, GrabPoint::FirstFrame);
    palette.setColor(QPalette::Button, later);
    QGuiApplication::setPalette(palette);
    const bool finished = waitFor(pool, run);
    QGuiApplication::setPalette(original);
    ASSERT_TRUE(finished);
    ASSERT_EQ(got.size(), files.size());
    for (const Thumbnail& t : got)
        EXPECT_EQ(t.bitmap.pixelColor(0, 89), atStart);
}

TEST(ThumbnailPool, ASlotThatWaitsOnADialogStillGetsEveryFileOnceAndInOrder) {
    ThumbnailPool pool(2);
    QList<int> order;
    int depth = 0;
    int deepest = 0;
    QObject::connect(&pool, &ThumbnailPool::made, [&](int, int index, const Thumbnail&) {
        ++depth;
        deepest = std::max(deepest, depth);
        order.append(index);
        if (index == 0) {
            // A modal question: its own event loop runs while the user decides.
            QEventLoop dialog;
            QTimer::singleShot(1500, &dialog, &QEventLoop::quit);
            dialog.exec();
        }
        --depth;
    });
    QStringList files;
    for (int i = 0; i < 6; ++i)
        files.append(fixture("mp4_h264_640x480.mp4"));
    ASSERT_TRUE(waitFor(pool, pool.start(files, GrabPoint::FirstFrame)));
    EXPECT_EQ(order, (QList<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(deepest, 1);
}

TEST(ThumbnailPool, ACancelledRunDeliversNothingMoreAndAnEmptyRunFinishes) {
    ThumbnailPool pool(2);
    QList<int> runs;
    bool cancelledFinished = false;
    QObject::connect(&pool, &ThumbnailPool::made, [&](int run, int, const Thumbnail&) {
        runs.append(run);
        if (runs.size() == 1)
            pool.cancel();
    });
    QStringList files;
    for (int i = 0; i < 8; ++i)
        files.append(fixture("mp4_h264_640x480.mp4"));
    const int cancelled = pool.start(files, GrabPoint::FirstFrame);
    QObject::connect(&pool, &ThumbnailPool::finished,
                     [&](int run) { cancelledFinished = cancelledFinished || run == cancelled; });
    QEventLoop loop;
    QTimer::singleShot(1500, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(runs, QList<int>{cancelled});
    EXPECT_FALSE(cancelledFinished);
    EXPECT_FALSE(pool.isRunning());

    const int empty = pool.start({}, GrabPoint::FirstFrame);
    EXPECT_TRUE(waitFor(pool, empty));
}
