#include "media/PreviewSource.h"

#include "Fixtures.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace tavimo::media;
using namespace tavimo::media::test;

namespace {

constexpr qint64 kSecond = 10'000'000;
const QSize kSeekBarBox{160, 1000}; // 160 wide, as high as the aspect makes it

// The frame is the one shown at `position` of a 25 frames a second video.
bool shownAt(const PreviewFrame& frame, qint64 position) {
    return frame.position <= position && position < frame.position + kSecond / 25;
}

struct Delivery {
    quint64 video;
    PreviewFrame frame;
};

// What a source delivers, as it arrives.
class Recorder {
public:
    explicit Recorder(PreviewSource& source) {
        QObject::connect(&source, &PreviewSource::frameReady,
                         [this](quint64 video, const PreviewFrame& frame) {
                             frames.append({video, frame});
                         });
        QObject::connect(&source, &PreviewSource::unavailable,
                         [this](quint64 video) { unavailable.append(video); });
    }
    // Runs the event loop until `done` holds (true) or `ms` pass (false).
    bool waitUntil(const std::function<bool()>& done, int ms = 20000) {
        return QTest::qWaitFor(done, ms);
    }
    // Lets everything still under way arrive.
    void settle(int ms = 500) {
        waitUntil([] { return false; }, ms);
    }
    bool hasExactAt(quint64 video, qint64 position) const {
        for (const Delivery& d : frames)
            if (d.video == video && d.frame.exact && shownAt(d.frame, position))
                return true;
        return false;
    }

    QList<Delivery> frames;
    QList<quint64> unavailable;
};

} // namespace

// 2.5 s into a 720p video whose only keyframe is its first: that keyframe comes first, then
// the exact frame. A little later from there is cheap: the exact frame comes alone.
TEST(PreviewSource, TheKeyframeFirstThenTheExactFrameKeyedByVideo) {
    PreviewSource source;
    Recorder got(source);
    const qint64 at = 25 * kSecond / 10;
    source.request(7, fixture("mkv_h264_1280x720.mkv"), at, kSeekBarBox);
    source.request(8, fixture("mp4_h264_640x480.mp4"), kSecond, kSeekBarBox);
    ASSERT_TRUE(got.waitUntil([&] { return got.hasExactAt(7, at) && got.hasExactAt(8, kSecond); }));
    QList<PreviewFrame> seven;
    for (const Delivery& d : got.frames)
        if (d.video == 7)
            seven.append(d.frame);
    ASSERT_EQ(seven.size(), 2);
    EXPECT_FALSE(seven.first().exact);
    EXPECT_LT(seven.first().position, kSecond / 10);
    EXPECT_TRUE(showsQuadrants(seven.first().picture, red, green, blue, black));
    EXPECT_TRUE(showsQuadrants(seven.last().picture, red, green, blue, yellow));
    EXPECT_EQ(seven.last().picture.size(), QSize(160, 90));
    EXPECT_EQ(seven.last().displaySize, QSize(1280, 720));
    EXPECT_NEAR(double(seven.last().duration) / kSecond, 3.0, 0.1);

    got.frames.clear();
    const qint64 later = 26 * kSecond / 10;
    source.request(7, fixture("mkv_h264_1280x720.mkv"), later, kSeekBarBox);
    ASSERT_TRUE(got.waitUntil([&] { return got.hasExactAt(7, later); }));
    got.settle(200);
    EXPECT_EQ(got.frames.size(), 1);
    EXPECT_TRUE(got.unavailable.isEmpty());
}

// Requests made while one is in work: only the newest of them is done. The one in work shows
// its keyframe but not its exact frame.
TEST(PreviewSource, ARequestIsReplacedByANewerOne) {
    PreviewSource source;
    Recorder got(source);
    const QString video = fixture("mkv_h264_1280x720.mkv");
    const qint64 first = 15 * kSecond / 10, replaced = kSecond, newest = 25 * kSecond / 10;
    source.request(1, video, first, kSeekBarBox);
    source.request(1, video, replaced, kSeekBarBox);
    source.request(1, video, newest, kSeekBarBox);
    ASSERT_TRUE(got.waitUntil([&] { return got.hasExactAt(1, newest); }));
    got.settle();
    for (const Delivery& d : got.frames) {
        EXPECT_FALSE(shownAt(d.frame, replaced)) << d.frame.position;
        EXPECT_TRUE(!d.frame.exact || shownAt(d.frame, newest)) << d.frame.position;
    }
    EXPECT_TRUE(shownAt(got.frames.last().frame, newest));

    // A closed video delivers nothing more, even what was asked of it just before.
    got.frames.clear();
    source.request(1, video, kSecond / 2, kSeekBarBox);
    source.close(1);
    got.settle();
    EXPECT_TRUE(got.frames.isEmpty());
}

TEST(PreviewSource, AFileThatCannotBeDecodedIsUnavailable) {
    PreviewSource source;
    Recorder got(source);
    source.request(3, fixture("no_decoder.avi"), 0, kSeekBarBox);
    source.request(4, fixture("missing.mp4"), 0, kSeekBarBox);
    ASSERT_TRUE(got.waitUntil([&] { return got.unavailable.size() == 2; }));
    // Asked again, the answer comes without another try.
    source.request(3, fixture("no_decoder.avi"), kSecond, kSeekBarBox);
    ASSERT_TRUE(got.waitUntil([&] { return got.unavailable.size() == 3; }));
    EXPECT_EQ(got.unavailable, (QList<quint64>{3, 4, 3}));
    EXPECT_TRUE(got.frames.isEmpty());
}
