#include "media/DisplayOptions.h"

#include "Fixtures.h"
#include "media/MpvPlayer.h"
#include "media/VideoRect.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <mpv/client.h>

using namespace tavimo::media;
using tavimo::media::test::fixture;

namespace {

QRect ltrb(int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

// A headless player and the options over it, the picture fitted into 640 x 480.
class DisplayOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { options.setBox({640, 480}); }

    // Opens `name` as the player does: the options hear of the start and of the answer.
    ::testing::AssertionResult open(const char* name) {
        options.openingStarted();
        mpv.setActive(true);
        QSignalSpy loaded(&mpv, &MpvPlayer::loaded);
        mpv.loadFile(fixture(QLatin1String(name)));
        if (!loaded.wait(10000) || loaded.at(0).at(0).toInt() < 0)
            return ::testing::AssertionFailure() << name << " did not open";
        options.videoOpened();
        return ::testing::AssertionSuccess();
    }

    // Waits until libmpv reports `name` as `want` (its properties follow asynchronous sets).
    bool mpvSays(const char* name, const QString& want) {
        return QTest::qWaitFor(
            [&] {
                char* value = mpv_get_property_string(mpv.handle(), name);
                const QString got = QString::fromUtf8(value ? value : "");
                mpv_free(value);
                return got == want;
            },
            5000);
    }

    MpvPlayer mpv;
    DisplayOptions options{mpv};
};

TEST_F(DisplayOptionsTest, AspectChoicesPlaceThePictureAndSurviveTheNextVideo) {
    options.setAspectChoice(5); // from the settings
    ASSERT_TRUE(open("mp4_h264_640x480.mp4"));
    EXPECT_EQ(mpv.pictureRect(), ltrb(0, 105, 640, 375));
    EXPECT_FALSE(options.chooseAspect(5)); // already chosen: nothing happens
    EXPECT_TRUE(options.chooseAspect(0));
    EXPECT_EQ(mpv.pictureRect(), ltrb(0, 0, 640, 480));
    EXPECT_TRUE(options.chooseAspect(1));
    EXPECT_EQ(mpv.pictureRect(), ltrb(0, 60, 640, 420));
    options.setBox({1000, 400});
    EXPECT_EQ(mpv.pictureRect(), ltrb(144, 0, 856, 400));

    // "オリジナル" takes each video's own displayed proportions: the anamorphic 720 x 480 is
    // shown 853 x 480, the turned one upright.
    options.setBox({640, 480});
    EXPECT_TRUE(options.chooseAspect(0));
    ASSERT_TRUE(open("mkv_h264_720x480_16x9.mkv"));
    EXPECT_EQ(options.layout().numbers, QSize(853, 480));
    EXPECT_EQ(mpv.pictureRect(), ltrb(0, 60, 640, 420));
    ASSERT_TRUE(open("rotated_90.mp4"));
    EXPECT_EQ(mpv.pictureRect(), ltrb(139, 0, 501, 480));
}

TEST_F(DisplayOptionsTest, CropCutsRowsOfTheOpenVideoUntilTheNextOpens) {
    EXPECT_FALSE(options.chooseCrop(32)); // nothing open
    EXPECT_EQ(options.crop(), 0);
    ASSERT_TRUE(open("mp4_h264_640x480.mp4"));
    EXPECT_TRUE(options.chooseCrop(32));
    EXPECT_FALSE(options.chooseCrop(32));
    EXPECT_EQ(mpv.cropRect(), QRect(0, 32, 640, 416));
    EXPECT_EQ(mpv.pictureRect(), fitVideoRect(640, 480, 32, {640, 480}));
    // A small-number proportion still shows the cut picture, wider.
    EXPECT_TRUE(options.chooseAspect(5));
    EXPECT_EQ(mpv.cropRect(), QRect(0, 32, 640, 416));
    EXPECT_EQ(mpv.pictureRect(), ltrb(0, 122, 640, 358));

    // More rows than a 240-row video can lose at 2.35 : 1: some picture stays.
    ASSERT_TRUE(open("long_60s.mp4"));
    EXPECT_EQ(options.crop(), 0);
    EXPECT_TRUE(mpv.cropRect().isNull());
    EXPECT_TRUE(options.chooseCrop(112));
    EXPECT_EQ(mpv.cropRect(), QRect(0, 112, 320, 16));
    EXPECT_FALSE(mpv.pictureRect().isEmpty());
}

TEST_F(DisplayOptionsTest, SpeedKeepsThePlayingStateAndLastsForLaterVideos) {
    ASSERT_TRUE(open("mp4_h264_640x480.mp4"));
    ASSERT_TRUE(mpv.play());
    options.chooseSpeed(0.5);
    EXPECT_EQ(mpv.state(), MpvPlayer::Playing);
    ASSERT_TRUE(mpv.pause());
    options.chooseSpeed(2.0);
    EXPECT_EQ(mpv.state(), MpvPlayer::Paused);
    EXPECT_TRUE(mpvSays("pause", "yes"));
    ASSERT_TRUE(open("avi_mpeg4_640x480.avi"));
    EXPECT_EQ(mpv.speed(), 2.0);
    EXPECT_TRUE(mpvSays("speed", "2.000000"));
}

TEST_F(DisplayOptionsTest, MuteSilencesUntilUnmutedWhateverTheSliderAndTrackDo) {
    options.setStartVolume(5000);
    options.setVolumeValue(9000); // nothing open: not taken
    EXPECT_EQ(options.volumeValue(), 5000);
    ASSERT_TRUE(open("two_audio.mkv"));
    ASSERT_EQ(options.audioStreams(), 2);
    EXPECT_EQ(options.audioStream(), 1);
    options.setVolumeValue(3000);
    EXPECT_EQ(mpv.volume(), 3000);

    QSignalSpy muted(&options, &DisplayOptions::muteChanged);
    options.toggleMute();
    EXPECT_TRUE(options.isMuted());
    EXPECT_EQ(mpv.volume(), 0);
    options.setVolumeValue(6000);
    EXPECT_EQ(mpv.volume(), 0);
    // Another track, muted: it stays silent.
    EXPECT_TRUE(options.selectAudioStream(2));
    EXPECT_FALSE(options.selectAudioStream(2));
    EXPECT_EQ(mpv.audioTrack(), 2);
    EXPECT_TRUE(mpvSays("aid", "2"));
    EXPECT_EQ(mpv.volume(), 0);
    EXPECT_TRUE(mpvSays("volume", "0.000000"));
    options.toggleMute();
    EXPECT_EQ(mpv.volume(), 6000);
    EXPECT_EQ(muted.count(), 2);

    // The next video sounds its first track, and one with a single track sounds at all.
    ASSERT_TRUE(open("two_audio.mkv"));
    EXPECT_EQ(options.audioStream(), 1);
    EXPECT_TRUE(mpvSays("aid", "1"));
    ASSERT_TRUE(options.selectAudioStream(2));
    ASSERT_TRUE(open("mp4_h264_640x480.mp4"));
    EXPECT_EQ(options.audioStreams(), 0);
    EXPECT_FALSE(options.selectAudioStream(2));
    EXPECT_TRUE(mpvSays("aid", "1"));
}

// Every video starts on its first track, as the checked "Audio1" says, whatever an earlier
// one chose: right after a video played on its second track (not switched over once it has
// begun), and after a video without sound between them.
TEST_F(DisplayOptionsTest, EveryVideoStartsOnItsFirstTrack) {
    const auto trackOnLoading = [&](const char* name) {
        QString track = QStringLiteral("none");
        QObject::connect(
            &mpv, &MpvPlayer::loaded, &mpv,
            [&] {
                char* id = mpv_get_property_string(mpv.handle(), "current-tracks/audio/id");
                track = QString::fromUtf8(id ? id : "");
                mpv_free(id);
            },
            Qt::SingleShotConnection);
        EXPECT_TRUE(open(name));
        return track;
    };
    EXPECT_EQ(trackOnLoading("two_audio.mkv"), QStringLiteral("1"));
    ASSERT_TRUE(options.selectAudioStream(2));
    ASSERT_TRUE(mpvSays("aid", "2"));
    EXPECT_EQ(trackOnLoading("two_audio.mkv"), QStringLiteral("1"));
    EXPECT_EQ(options.audioStream(), 1);

    ASSERT_TRUE(options.selectAudioStream(2));
    ASSERT_TRUE(mpvSays("aid", "2"));
    EXPECT_EQ(trackOnLoading("no_audio_640x480.mp4"), QString());
    EXPECT_EQ(options.audioStream(), 0);
    EXPECT_EQ(trackOnLoading("two_audio.mkv"), QStringLiteral("1"));
    EXPECT_EQ(options.audioStream(), 1);
    EXPECT_EQ(mpv.audioTrack(), 1);
    EXPECT_TRUE(mpvSays("aid", "1"));
}

} // namespace
