#include "media/PreviewDecoder.h"

#include "Fixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tavimo::media;
using namespace tavimo::media::test;

namespace {

constexpr qint64 kSecond = 10'000'000;
const QSize kCell{120, 90};

// The 1080p fixture's white square moves right 480 pixels a second, wrapping every 1680.
int squareLeftAt(double seconds) {
    return int(std::fmod(seconds * 480.0, 1680.0));
}

// The left edge of the white square on the middle row of a full-size 1080p frame.
int squareLeftIn(const QImage& frame) {
    const int y = frame.height() / 2;
    for (int x = 0; x < frame.width(); ++x)
        if (near(frame.pixel(x, y), white, 60))
            return x;
    return -1;
}

} // namespace

// A video whose only keyframe is its first: the keyframe stays where it is, the exact frame is
// decoded forward to, and a limit on the frames stops that early without losing the way.
TEST(PreviewDecoder, TheNearestKeyframeAtOnceAndTheExactFrameWhenItIsCheap) {
    PreviewDecoder decoder;
    ASSERT_TRUE(decoder.open(fixture("mp4_h264_640x480.mp4"))) << decoder.error().toStdString();
    EXPECT_EQ(decoder.displaySize(), QSize(640, 480));
    EXPECT_NEAR(double(decoder.duration()) / kSecond, 3.0, 0.1);

    const PreviewFrame key = decoder.keyframeNear(25 * kSecond / 10, kCell);
    ASSERT_FALSE(key.isNull());
    EXPECT_EQ(key.picture.size(), kCell);
    EXPECT_EQ(key.position, 0);
    EXPECT_FALSE(key.exact);
    EXPECT_TRUE(showsQuadrants(key.picture, red, green, blue, black));

    // 2.5 s is 63 frames in: ten are not enough, and nothing is shown.
    EXPECT_NEAR(decoder.framesToReach(25 * kSecond / 10), 63, 1);
    EXPECT_TRUE(decoder.frameAt(25 * kSecond / 10, kCell, 10).isNull());
    // The ten decoded stay: from there, 2.5 s is ten frames nearer.
    EXPECT_NEAR(decoder.framesToReach(25 * kSecond / 10), 53, 1);
    const PreviewFrame exact = decoder.frameAt(25 * kSecond / 10, kCell, 100);
    ASSERT_FALSE(exact.isNull());
    EXPECT_TRUE(exact.exact);
    EXPECT_EQ(exact.position, 248 * kSecond / 100); // 2.5 s lies between frames 62 and 63
    EXPECT_TRUE(showsQuadrants(exact.picture, red, green, blue, yellow));

    // Forward from there costs only the frames between; back costs a seek to the start.
    EXPECT_NEAR(decoder.framesToReach(27 * kSecond / 10), 5, 1);
    const PreviewFrame back = decoder.frameAt(kSecond, kCell, 100);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.position, kSecond);
    EXPECT_TRUE(showsQuadrants(back.picture, red, green, blue, white));

    // Past the end the last frame shows.
    const PreviewFrame end = decoder.frameAt(10 * kSecond, kCell, 1000);
    ASSERT_FALSE(end.isNull());
    EXPECT_NEAR(double(end.position) / kSecond, 2.96, 0.05);
}

// With a keyframe every 10 s, the one nearest the time is taken from the index, before or
// after it; the picture is the frame at that keyframe.
TEST(PreviewDecoder, KeyframesComeFromTheIndexOnEitherSideOfTheTime) {
    PreviewDecoder decoder;
    ASSERT_TRUE(decoder.open(fixture("h264_1920x1080_75s.mp4")));
    EXPECT_EQ(decoder.displaySize(), QSize(1920, 1080));
    struct Case {
        double asked, keyframe;
    } cases[] = {{4.0, 0.0}, {7.5, 10.0}, {30.0, 30.0}, {64.0, 60.0}, {74.0, 70.0}};
    for (const Case& c : cases) {
        const PreviewFrame frame = decoder.keyframeNear(qint64(c.asked * kSecond), {});
        ASSERT_FALSE(frame.isNull()) << c.asked;
        EXPECT_EQ(frame.position, qint64(c.keyframe * kSecond)) << c.asked;
        EXPECT_EQ(frame.exact, c.asked == c.keyframe) << c.asked;
        EXPECT_EQ(frame.picture.size(), QSize(1920, 1080));
        EXPECT_NEAR(squareLeftIn(frame.picture), squareLeftAt(c.keyframe), 24) << c.asked;
        EXPECT_EQ(decoder.keyframeDistance(qint64(c.asked * kSecond)),
                  qint64(std::abs(c.asked - c.keyframe) * kSecond))
            << c.asked;
    }
    // An exact frame a little after a keyframe: the square has moved on with the time.
    const PreviewFrame exact = decoder.frameAt(302 * kSecond / 10, {}, 10);
    ASSERT_FALSE(exact.isNull());
    EXPECT_EQ(exact.position, 302 * kSecond / 10);
    EXPECT_NEAR(squareLeftIn(exact.picture), squareLeftAt(30.2), 24);
}

// Pictures are fitted at the display aspect: the pixel aspect ratio stretches, the display
// matrix turns.
TEST(PreviewDecoder, PicturesKeepTheirDisplayAspect) {
    PreviewDecoder wide;
    ASSERT_TRUE(wide.open(fixture("mkv_h264_720x480_16x9.mkv")));
    EXPECT_EQ(wide.displaySize(), QSize(853, 480));
    const PreviewFrame w = wide.keyframeNear(0, kCell);
    ASSERT_FALSE(w.isNull());
    EXPECT_EQ(w.picture.size(), QSize(120, 67));
    EXPECT_EQ(w.displaySize, QSize(853, 480));

    PreviewDecoder turned;
    ASSERT_TRUE(turned.open(fixture("rotated_90.mp4")));
    EXPECT_EQ(turned.displaySize(), QSize(480, 640));
    const PreviewFrame t = turned.frameAt(0, kCell, 5);
    ASSERT_FALSE(t.isNull());
    EXPECT_EQ(t.picture.size(), QSize(67, 90));
    // Turned a quarter counter-clockwise: green top left, red bottom left.
    EXPECT_TRUE(showsQuadrants(t.picture, green, black, red, blue));
}

TEST(PreviewDecoder, FilesWithoutAVideoThatDecodesHaveNoPreview) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.mp4");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path :
         {fixture("no_decoder.avi"), fixture("text.mpg"), fixture("empty.avi"),
          fixture("audio_only.mp4"), fixture("truncated_index.mp4"), fixture("huge_4096x4096.mp4"),
          fixture("missing.mp4"), dir.path(), fifo}) {
        PreviewDecoder decoder;
        EXPECT_FALSE(decoder.open(path)) << path.toStdString();
        EXPECT_FALSE(decoder.error().isEmpty()) << path.toStdString();
        EXPECT_TRUE(decoder.keyframeNear(0, kCell).isNull());
        EXPECT_TRUE(decoder.frameAt(0, kCell, 10).isNull());
    }
    // A file cut short opens, and shows what is left of it.
    PreviewDecoder cut;
    ASSERT_TRUE(cut.open(fixture("truncated.mkv")));
    EXPECT_FALSE(cut.keyframeNear(0, kCell).isNull());
    EXPECT_FALSE(cut.frameAt(cut.duration(), kCell, 1000).isNull());
}
