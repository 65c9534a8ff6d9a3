#include "media/FrameGrabber.h"

#include "Fixtures.h"

#include <gtest/gtest.h>

using namespace tavimo::media;
using namespace tavimo::media::test;

namespace {

struct Decodable {
    const char* name;
    int width, height; // display size
};

// Every container and codec of the fixture set, with the size it is shown at.
const Decodable decodable[] = {
    {"avi_mpeg4_640x480.avi", 640, 480},
    {"mpeg1_640x480.mpg", 640, 480},
    {"mpeg2_720x480_4x3.mpg", 720, 540},
    {"asf_msmpeg4_640x480.asf", 640, 480},
    {"wmv_wmv2_640x480.wmv", 640, 480},
    {"mkv_h264_1280x720.mkv", 1280, 720},
    {"mkv_h264_720x480_16x9.mkv", 853, 480},
    {"mp4_h264_640x480.mp4", 640, 480},
    {"mov_mpeg4_640x480.mov", 640, 480},
    {"flv_flv1_640x480.flv", 640, 480},
    {"ogg_theora_640x480.ogg", 640, 480},
    {"3gp_h263_352x288.3gp", 352, 288},
    {"m4v_mpeg4_640x480.m4v", 640, 480},
    {"portrait_480x640.mp4", 480, 640},
    {"two_audio.mkv", 640, 480},
};

class GrabEveryFormat : public ::testing::TestWithParam<Decodable> {};

// The first frame has a black bottom-right quadrant; half a second in it is white. The MPEG
// files start at 0.53 s, so the half second counts from there.
TEST_P(GrabEveryFormat, FirstFrameAndHalfSecondShowThePatternAtDisplaySize) {
    const Decodable& f = GetParam();
    FrameGrabber grabber;
    const GrabResult first = grabber.grab(fixture(f.name), GrabPoint::FirstFrame);
    ASSERT_EQ(first.outcome, GrabOutcome::Built) << first.error.toStdString();
    EXPECT_EQ(first.picture.size(), QSize(f.width, f.height));
    EXPECT_TRUE(showsQuadrants(first.picture, red, green, blue, black));

    const GrabResult half = grabber.grab(fixture(f.name), GrabPoint::HalfSecond);
    ASSERT_EQ(half.outcome, GrabOutcome::Built) << half.error.toStdString();
    EXPECT_EQ(half.picture.size(), QSize(f.width, f.height));
    EXPECT_TRUE(showsQuadrants(half.picture, red, green, blue, white));
}

std::string testName(const ::testing::TestParamInfo<Decodable>& param) {
    std::string n = param.param.name;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GrabEveryFormat, ::testing::ValuesIn(decodable), testName);

TEST(FrameGrabber, DisplayMatrixTurnsThePicture) {
    FrameGrabber grabber;
    const GrabResult r = grabber.grab(fixture("rotated_90.mp4"), GrabPoint::FirstFrame);
    ASSERT_EQ(r.outcome, GrabOutcome::Built);
    EXPECT_EQ(r.picture.size(), QSize(480, 640));
    EXPECT_TRUE(showsQuadrants(r.picture, green, black, red, blue));
    // The frame at a position keeps the turn but not the aspect stretch.
    EXPECT_EQ(grabber.frameAt(fixture("rotated_90.mp4"), 0).size(), QSize(480, 640));
    EXPECT_EQ(grabber.frameAt(fixture("mkv_h264_720x480_16x9.mkv"), 0).size(), QSize(720, 480));
}

TEST(FrameGrabber, AudioOnlyIsBuiltWithoutPicture) {
    FrameGrabber grabber;
    for (const char* name : {"audio_only.mp4", "audio_only.mpa"}) {
        const GrabResult r = grabber.grab(fixture(name), GrabPoint::FirstFrame);
        EXPECT_EQ(r.outcome, GrabOutcome::Built) << name << ": " << r.error.toStdString();
        EXPECT_TRUE(r.picture.isNull()) << name;
        EXPECT_TRUE(grabber.frameAt(fixture(name), 0).isNull()) << name;
    }
}

TEST(FrameGrabber, VideoWithoutDecoderIsPartial) {
    FrameGrabber grabber;
    for (GrabPoint point : {GrabPoint::FirstFrame, GrabPoint::HalfSecond}) {
        const GrabResult r = grabber.grab(fixture("no_decoder.avi"), point);
        EXPECT_EQ(r.outcome, GrabOutcome::Partial);
        EXPECT_TRUE(r.picture.isNull());
    }
    EXPECT_TRUE(grabber.frameAt(fixture("no_decoder.avi"), 0).isNull());
}

TEST(FrameGrabber, BrokenFilesFailWithAReason) {
    FrameGrabber grabber;
    for (const char* name :
         {"empty.avi", "text.mpg", "truncated_index.mp4", "does_not_exist.avi"}) {
        for (GrabPoint point : {GrabPoint::FirstFrame, GrabPoint::HalfSecond}) {
            const GrabResult r = grabber.grab(fixture(name), point);
            EXPECT_EQ(r.outcome, GrabOutcome::Failed) << name;
            EXPECT_FALSE(r.error.isEmpty()) << name;
            EXPECT_TRUE(r.picture.isNull()) << name;
        }
        EXPECT_TRUE(grabber.frameAt(fixture(name), 10'000'000).isNull()) << name;
    }
}

TEST(FrameGrabber, TruncatedFileGivesItsFirstFrames) {
    FrameGrabber grabber;
    const GrabResult r = grabber.grab(fixture("truncated.mkv"), GrabPoint::HalfSecond);
    ASSERT_EQ(r.outcome, GrabOutcome::Built) << r.error.toStdString();
    EXPECT_TRUE(showsQuadrants(r.picture, red, green, blue, white));
    // Past the cut the last frame that is there is the answer, not a crash or garbage.
    EXPECT_FALSE(grabber.frameAt(fixture("truncated.mkv"), 29'000'000).isNull());
}

// The bottom-right quadrant turns white at 0.3 s (frame 8 of 25 per second) and yellow at
// 2 s: positions a frame or two on either side of a change give the frame of their own side.
// Positions count from the file's start (the MPEG video starts 10 ms after its audio).
TEST(FrameGrabber, FrameAtPositionIsExact) {
    FrameGrabber grabber;
    for (const char* name : {"mp4_h264_640x480.mp4", "mov_mpeg4_640x480.mov",
                             "mpeg2_720x480_4x3.mpg", "ogg_theora_640x480.ogg"}) {
        SCOPED_TRACE(name);
        const QImage before = grabber.frameAt(fixture(name), 2'600'000);
        EXPECT_TRUE(showsQuadrants(before, red, green, blue, black));
        const QImage after = grabber.frameAt(fixture(name), 3'400'000);
        EXPECT_TRUE(showsQuadrants(after, red, green, blue, white));
        const QImage late = grabber.frameAt(fixture(name), 25'000'000);
        EXPECT_TRUE(showsQuadrants(late, red, green, blue, yellow));
        const QImage lastBeforeYellow = grabber.frameAt(fixture(name), 19'600'000);
        EXPECT_TRUE(showsQuadrants(lastBeforeYellow, red, green, blue, white));
    }
    EXPECT_EQ(grabber.frameAt(fixture("mpeg2_720x480_4x3.mpg"), 0).size(), QSize(720, 480));
}

TEST(FrameGrabber, DisplaySizeStretchesOneSideAndTurns) {
    EXPECT_EQ(displaySize(720, 480, 32, 27, 0), QSize(853, 480));
    EXPECT_EQ(displaySize(720, 480, 8, 9, 0), QSize(720, 540));
    EXPECT_EQ(displaySize(640, 480, 0, 1, 0), QSize(640, 480));
    EXPECT_EQ(displaySize(720, 480, 32, 27, 90), QSize(480, 853));
}

} // namespace
