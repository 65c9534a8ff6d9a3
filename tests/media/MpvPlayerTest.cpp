#include "media/MpvPlayer.h"

#include "Fixtures.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <mpv/client.h>

using namespace tavimo::media;
using namespace tavimo::media::test;

namespace {

// libmpv converts untagged SD video from its guessed primaries, so its colours lie further
// from the pure ones than the grabber's; they are still far apart from each other.
constexpr int playerTolerance = 80;

constexpr qint64 second = 10'000'000;

double mpvNumber(MpvPlayer& mpv, const char* name) {
    double value = -1;
    mpv_get_property(mpv.handle(), name, MPV_FORMAT_DOUBLE, &value);
    return value;
}

// Loads `name` on an active player and returns the code loaded() gave.
int load(MpvPlayer& mpv, const QString& name) {
    mpv.setActive(true);
    QSignalSpy spy(&mpv, &MpvPlayer::loaded);
    mpv.loadFile(fixture(name));
    if (!spy.wait(10000))
        return -1000;
    return spy.at(0).at(0).toInt();
}

bool seekAndWait(MpvPlayer& mpv, qint64 position) {
    QSignalSpy spy(&mpv, &MpvPlayer::seekFinished);
    return mpv.seek(position) && spy.wait(5000);
}

TEST(MpvPlayer, LoadsStoppedThenPlaysToTheEnd) {
    MpvPlayer mpv;
    EXPECT_EQ(mpv.state(), MpvPlayer::Inactive);
    QSignalSpy activated(&mpv, &MpvPlayer::activated);
    ASSERT_EQ(load(mpv, "mp4_h264_640x480.mp4"), MpvPlayer::Loaded);
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(mpv.state(), MpvPlayer::Stopped);
    EXPECT_NEAR(mpv.durationMs(), 3000, 50);
    EXPECT_EQ(mpv.videoWidth(), 640);
    EXPECT_EQ(mpv.videoHeight(), 480);
    EXPECT_EQ(mpv.frameDuration(), 400'000);

    ASSERT_TRUE(seekAndWait(mpv, 25 * second / 10));
    QSignalSpy complete(&mpv, &MpvPlayer::endOfFile);
    ASSERT_TRUE(mpv.play());
    EXPECT_EQ(mpv.state(), MpvPlayer::Playing);
    ASSERT_TRUE(complete.wait(5000));
    qint64 current = 0, stop = 0;
    ASSERT_TRUE(mpv.position(&current, &stop));
    EXPECT_NEAR(current, stop, second / 10);
    // The end holds its last picture.
    EXPECT_TRUE(showsQuadrants(mpv.currentPicture(), red, green, blue, yellow, playerTolerance));
}

// libmpv refusing to start (here told to encode into a file of no known format, as a broken
// installation would refuse) leaves a player that plays nothing and says why; the program
// runs on without a player.
TEST(MpvPlayer, WhenLibmpvCannotStartNothingPlaysAndTheReasonIsKept) {
    MpvPlayer mpv(MpvPlayer::Output::Headless, {{"o", "/nonexistent/out.no-such-format"}});
    EXPECT_FALSE(mpv.available());
    EXPECT_FALSE(mpv.unavailableReason().isEmpty());
    EXPECT_EQ(mpv.handle(), nullptr);
    QSignalSpy loaded(&mpv, &MpvPlayer::loaded);
    mpv.setActive(true);
    mpv.setVolume(5000);
    mpv.setSpeed(2.0);
    mpv.loadFile(fixture("mp4_h264_640x480.mp4"));
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(loaded.at(0).at(0).toInt(), MpvPlayer::LoadFailed);
    EXPECT_EQ(loaded.at(0).at(1).toString(), mpv.unavailableReason());
    EXPECT_FALSE(mpv.play());
    EXPECT_FALSE(mpv.seek(second));
    EXPECT_FALSE(mpv.frameStep(true));
    EXPECT_FALSE(mpv.selectAudioTrack(1));
    EXPECT_TRUE(mpv.currentPicture().isNull());
    mpv.closeFile();
    mpv.setActive(false);
}

TEST(MpvPlayer, StopPositionEndsPlayback) {
    MpvPlayer mpv;
    ASSERT_EQ(load(mpv, "long_60s.mp4"), MpvPlayer::Loaded);
    QSignalSpy complete(&mpv, &MpvPlayer::endOfFile);
    ASSERT_TRUE(mpv.seek(10 * second, 10 * second + 3 * second / 10));
    ASSERT_TRUE(mpv.play());
    ASSERT_TRUE(complete.wait(5000));
    qint64 current = 0, stop = 0;
    ASSERT_TRUE(mpv.position(&current, &stop));
    EXPECT_EQ(stop, 10 * second + 3 * second / 10);
    EXPECT_GE(current, 10 * second);
    EXPECT_EQ(mpv.state(), MpvPlayer::Paused);
}

// The bottom-right quadrant turns white at 0.3 s: a frame either side shows either colour.
TEST(MpvPlayer, SeeksExactlyAndStepsFramesBothWays) {
    MpvPlayer mpv;
    ASSERT_EQ(load(mpv, "mp4_h264_640x480.mp4"), MpvPlayer::Loaded);
    ASSERT_TRUE(seekAndWait(mpv, 2'800'000)); // frame 7, the last black one
    qint64 current = 0;
    ASSERT_TRUE(mpv.position(&current, nullptr));
    EXPECT_EQ(current, 2'800'000);
    EXPECT_TRUE(showsQuadrants(mpv.currentPicture(), red, green, blue, black, playerTolerance));

    QSignalSpy settled(&mpv, &MpvPlayer::seekFinished);
    ASSERT_TRUE(mpv.frameStep(true));
    ASSERT_TRUE(settled.wait(5000));
    ASSERT_TRUE(mpv.position(&current, nullptr));
    EXPECT_EQ(current, 3'200'000);
    EXPECT_TRUE(showsQuadrants(mpv.currentPicture(), red, green, blue, white, playerTolerance));

    ASSERT_TRUE(mpv.frameStep(false));
    ASSERT_TRUE(settled.wait(5000));
    ASSERT_TRUE(mpv.position(&current, nullptr));
    EXPECT_EQ(current, 2'800'000);
    EXPECT_TRUE(showsQuadrants(mpv.currentPicture(), red, green, blue, black, playerTolerance));
    EXPECT_EQ(mpv.state(), MpvPlayer::Paused);

    // Back from the start stays at the start.
    ASSERT_TRUE(seekAndWait(mpv, 0));
    ASSERT_TRUE(mpv.frameStep(false));
    ASSERT_TRUE(mpv.position(&current, nullptr));
    EXPECT_EQ(current, 0);
}

// A seek asked for as soon as the file has opened (playing from a bookmark) is not finished by
// the restart of playback that libmpv reports for the opening itself.
TEST(MpvPlayer, ASeekRightAfterOpeningEndsWhereItWasAsked) {
    MpvPlayer mpv;
    mpv.setActive(true);
    for (int run = 0; run < 5; ++run) {
        QObject::connect(
            &mpv, &MpvPlayer::loaded, &mpv,
            [&mpv] {
                // libmpv goes on meanwhile: the restart of the opening is reported before
                // it hears of the seek.
                QThread::msleep(300);
                mpv.seek(30 * 10'000'000LL);
            },
            Qt::SingleShotConnection);
        QSignalSpy seeked(&mpv, &MpvPlayer::seekFinished);
        mpv.loadFile(fixture("long_60s.mp4"));
        ASSERT_TRUE(seeked.wait(10000)) << run;
        qint64 current = 0;
        ASSERT_TRUE(mpv.position(&current, nullptr));
        EXPECT_NEAR(current, 30 * 10'000'000LL, 10'000'000) << run;
        mpv.closeFile();
    }
}

TEST(MpvPlayer, VolumeAndRateAreKeptAcrossFiles) {
    EXPECT_EQ(mpvVolume(0), 0);
    EXPECT_NEAR(mpvVolume(10000), 100.0, 0.01);
    EXPECT_NEAR(mpvVolume(5000), 74.9, 0.1); // -7.52 dB
    EXPECT_NEAR(mpvVolume(20000), 100.0, 0.01);

    MpvPlayer mpv;
    mpv.setVolume(5000);
    mpv.setSpeed(2.0);
    mpv.setVolume(-3);
    EXPECT_EQ(mpv.volume(), 0);
    mpv.setVolume(5000);
    for (const char* name : {"mp4_h264_640x480.mp4", "avi_mpeg4_640x480.avi"}) {
        ASSERT_EQ(load(mpv, name), MpvPlayer::Loaded) << name;
        EXPECT_EQ(mpv.volume(), 5000);
        EXPECT_EQ(mpv.speed(), 2.0);
        EXPECT_NEAR(mpvNumber(mpv, "volume"), mpvVolume(5000), 0.01) << name;
        EXPECT_NEAR(mpvNumber(mpv, "speed"), 2.0, 1e-9) << name;
        mpv.closeFile();
    }
}

TEST(MpvPlayer, ChoosesBetweenTwoAudioTracks) {
    MpvPlayer mpv;
    ASSERT_EQ(load(mpv, "two_audio.mkv"), MpvPlayer::Loaded);
    ASSERT_EQ(mpv.audioTrackCount(), 2);
    EXPECT_EQ(mpv.audioTrack(), 1);
    EXPECT_TRUE(mpv.selectAudioTrack(2));
    EXPECT_FALSE(mpv.selectAudioTrack(3));
    EXPECT_EQ(mpv.audioTrack(), 2);
    ASSERT_TRUE(seekAndWait(mpv, second)); // lets the property settle
    EXPECT_EQ(mpvNumber(mpv, "aid"), 2);
    const QList<TrackFacts>& tracks = mpv.facts().tracks;
    ASSERT_EQ(tracks.size(), 3);
    EXPECT_EQ(tracks[1].language, "jpn");
    EXPECT_EQ(tracks[2].language, "eng");
    EXPECT_EQ(tracks[2].number, 2);
}

TEST(MpvPlayer, AFileWithoutAVideoDecoderPlaysItsAudio) {
    MpvPlayer mpv;
    ASSERT_EQ(load(mpv, "no_decoder.avi"), MpvPlayer::LoadedWithoutATrack);
    EXPECT_EQ(mpv.videoWidth(), 0);
    EXPECT_TRUE(mpv.play());
    EXPECT_EQ(mpv.state(), MpvPlayer::Playing);
    EXPECT_TRUE(mpv.currentPicture().isNull());
}

TEST(MpvPlayer, BrokenFilesFailWithACodeAndLeaveNothingLoaded) {
    MpvPlayer mpv;
    for (const char* name :
         {"empty.avi", "text.mpg", "truncated_index.mp4", "does_not_exist.mkv"}) {
        mpv.setActive(true);
        QSignalSpy spy(&mpv, &MpvPlayer::loaded);
        mpv.loadFile(fixture(name));
        ASSERT_TRUE(spy.wait(5000)) << name;
        EXPECT_EQ(spy.at(0).at(0).toInt(), MpvPlayer::LoadFailed) << name;
        EXPECT_FALSE(spy.at(0).at(1).toString().isEmpty()) << name;
        EXPECT_FALSE(mpv.play()) << name;
        EXPECT_FALSE(mpv.position(nullptr, nullptr)) << name;
    }
    // An inactive player loads nothing and says why.
    mpv.setActive(false);
    EXPECT_EQ(mpv.state(), MpvPlayer::Inactive);
    QSignalSpy spy(&mpv, &MpvPlayer::loaded);
    mpv.loadFile(fixture("mp4_h264_640x480.mp4"));
    ASSERT_TRUE(spy.wait(2000));
    EXPECT_EQ(spy.at(0).at(0).toInt(), MpvPlayer::LoadFailed);
    EXPECT_FALSE(mpv.play());
}

TEST(MpvPlayer, TruncatedFilePlaysToWhereItEnds) {
    MpvPlayer mpv;
    ASSERT_EQ(load(mpv, "truncated.mkv"), MpvPlayer::Loaded);
    QSignalSpy complete(&mpv, &MpvPlayer::endOfFile);
    QSignalSpy failed(&mpv, &MpvPlayer::fileError);
    ASSERT_TRUE(mpv.play());
    ASSERT_TRUE(complete.wait(6000) || failed.count() > 0);
}

TEST(MpvPlayer, ANewLoadAbandonsTheOneUnderWay) {
    MpvPlayer mpv;
    mpv.setActive(true);
    QSignalSpy spy(&mpv, &MpvPlayer::loaded);
    mpv.loadFile(fixture("mkv_h264_1280x720.mkv"));
    mpv.loadFile(fixture("portrait_480x640.mp4"));
    ASSERT_TRUE(spy.wait(5000));
    QTest::qWait(300);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(mpv.path(), fixture("portrait_480x640.mp4"));
    EXPECT_EQ(mpv.videoWidth(), 480);
    // Cleared while opening: no answer at all.
    mpv.loadFile(fixture("mp4_h264_640x480.mp4"));
    mpv.closeFile();
    QTest::qWait(500);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(mpv.state(), MpvPlayer::Stopped);
}

// Files left while they are probed are not read on: on a slow disc each would delay the file
// wanted by seconds. Only the probe under way when the next file was asked for may finish.
TEST(MpvPlayer, LeavingAFileStopsItsProbe) {
    MpvPlayer mpv;
    mpv.setActive(true);
    QSignalSpy loaded(&mpv, &MpvPlayer::loaded);
    const char* names[] = {"mkv_h264_1280x720.mkv",  "avi_mpeg4_640x480.avi",
                           "wmv_wmv2_640x480.wmv",   "mov_mpeg4_640x480.mov",
                           "ogg_theora_640x480.ogg", "mp4_h264_640x480.mp4"};
    for (const char* name : names)
        mpv.loadFile(fixture(QLatin1String(name)));
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(loaded.at(0).at(0).toInt(), MpvPlayer::Loaded);
    EXPECT_EQ(mpv.path(), fixture("mp4_h264_640x480.mp4"));
    EXPECT_LE(mpv.probesFinished(), 2);
    QTest::qWait(200);
    EXPECT_EQ(loaded.count(), 1);
}

TEST(MpvPlayer, PicturesAtOwnAndDisplayedSizeAndCrop) {
    MpvPlayer mpv;
    ASSERT_EQ(load(mpv, "rotated_90.mp4"), MpvPlayer::Loaded);
    EXPECT_EQ(mpv.videoWidth(), 480);
    EXPECT_EQ(mpv.videoHeight(), 640);
    ASSERT_TRUE(seekAndWait(mpv, 0));
    const QImage own = mpv.currentPicture();
    EXPECT_EQ(own.size(), QSize(480, 640));
    EXPECT_TRUE(showsQuadrants(own, green, black, red, blue, playerTolerance));
    mpv.setPictureRect(QRect(10, 20, 240, 320));
    EXPECT_EQ(mpv.displayedPicture().size(), QSize(240, 320));

    // An anamorphic picture's own size is its coded size, not the stretched one.
    ASSERT_EQ(load(mpv, "mpeg2_720x480_4x3.mpg"), MpvPlayer::Loaded);
    EXPECT_EQ(mpv.displaySize(), QSize(720, 540));
    ASSERT_TRUE(seekAndWait(mpv, 0));
    EXPECT_EQ(mpv.currentPicture().size(), QSize(720, 480));

    ASSERT_EQ(load(mpv, "mp4_h264_640x480.mp4"), MpvPlayer::Loaded);
    EXPECT_FALSE(mpv.setCropRect(QRect(0, 16, 640, 480)));
    ASSERT_TRUE(mpv.setCropRect(QRect(0, 16, 640, 448)));
    ASSERT_TRUE(seekAndWait(mpv, 0));
    const QImage cropped = mpv.currentPicture();
    EXPECT_EQ(cropped.size(), QSize(640, 448));
    EXPECT_TRUE(showsQuadrants(cropped, red, green, blue, black, playerTolerance));
    ASSERT_TRUE(mpv.setCropRect(QRect()));
    ASSERT_TRUE(seekAndWait(mpv, 0));
    EXPECT_EQ(mpv.currentPicture().size(), QSize(640, 480));
}

TEST(MediaFacts, TracksCarryWhatTheStreamDescriptionNeeds) {
    const MediaFacts mp4 = readMediaFacts(fixture("mp4_h264_640x480.mp4"));
    ASSERT_TRUE(mp4.opened);
    ASSERT_EQ(mp4.tracks.size(), 2);
    const TrackFacts& v = mp4.tracks[0];
    EXPECT_EQ(v.kind, TrackFacts::Kind::Video);
    EXPECT_EQ(v.codec, "h264");
    EXPECT_EQ(v.fourCC, "avc1");
    EXPECT_EQ(v.size, QSize(640, 480));
    EXPECT_DOUBLE_EQ(v.frameRate, 25.0);
    EXPECT_EQ(v.bitDepth, 24); // as the MP4 sample description says
    const TrackFacts& a = mp4.tracks[1];
    EXPECT_EQ(a.kind, TrackFacts::Kind::Audio);
    EXPECT_EQ(a.formatTag, 0xFF);
    EXPECT_EQ(a.sampleRate, 44100);
    EXPECT_EQ(a.channels, 1);

    const MediaFacts avi = readMediaFacts(fixture("avi_mpeg4_640x480.avi"));
    ASSERT_EQ(avi.tracks.size(), 2);
    EXPECT_EQ(avi.tracks[0].fourCC, "FMP4");
    EXPECT_EQ(avi.tracks[1].formatTag, 0x55);
    const MediaFacts wmv = readMediaFacts(fixture("wmv_wmv2_640x480.wmv"));
    ASSERT_EQ(wmv.tracks.size(), 2);
    EXPECT_EQ(wmv.tracks[0].fourCC, "WMV2");
    EXPECT_EQ(wmv.tracks[1].formatTag, 0x161);
    const MediaFacts none = readMediaFacts(fixture("no_decoder.avi"));
    EXPECT_EQ(none.undecodable, 1);
    EXPECT_EQ(none.tracks[0].fourCC, "TVXX");
    const MediaFacts wide = readMediaFacts(fixture("mkv_h264_720x480_16x9.mkv"));
    EXPECT_EQ(wide.tracks[0].displaySize, QSize(853, 480));
    EXPECT_EQ(wide.tracks[0].bitDepth, 12); // Matroska names none: 4:2:0 at 8 bits
    EXPECT_FALSE(readMediaFacts(fixture("text.mpg")).opened);
}

// A probe told to stop while it reads gives up at FFmpeg's next read, without the tracks.
TEST(MediaFacts, AProbeStopsWhenCancelled) {
    std::atomic<bool> cancel{false};
    bool accepted = false;
    const MediaFacts stopped = readMediaFacts(
        fixture("mkv_h264_1280x720.mkv"),
        [&] {
            accepted = true;
            cancel = true; // between recognising the format and reading the tracks
        },
        &cancel);
    EXPECT_TRUE(accepted);
    EXPECT_FALSE(stopped.opened);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.tracks.isEmpty());

    // Cancelled before it starts: the file is not even opened.
    accepted = false;
    const MediaFacts never = readMediaFacts(
        fixture("mkv_h264_1280x720.mkv"), [&] { accepted = true; }, &cancel);
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(never.cancelled);

    cancel = false;
    EXPECT_TRUE(readMediaFacts(fixture("mkv_h264_1280x720.mkv"), {}, &cancel).opened);
}

} // namespace
