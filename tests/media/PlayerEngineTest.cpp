#include "media/PlayerEngine.h"

#include "Fixtures.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <mpv/client.h>

using namespace tavimo::media;
using namespace tavimo::media::test;

namespace {

// libmpv converts untagged SD video from its guessed primaries, so its colours lie further
// from the pure ones than the grabber's; they are still far apart from each other.
constexpr int playerTolerance = 80;

constexpr qint64 second = 10'000'000;

double mpvNumber(PlayerEngine& engine, const char* name) {
    double value = -1;
    mpv_get_property(engine.handle(), name, MPV_FORMAT_DOUBLE, &value);
    return value;
}

// Renders `name` on an active engine and returns the code rendered() gave.
int render(PlayerEngine& engine, const QString& name) {
    engine.setActive(true);
    QSignalSpy spy(&engine, &PlayerEngine::rendered);
    engine.renderFile(fixture(name));
    if (!spy.wait(10000))
        return -1000;
    return spy.at(0).at(0).toInt();
}

bool seekAndWait(PlayerEngine& engine, qint64 position) {
    QSignalSpy spy(&engine, &PlayerEngine::seekFinished);
    return engine.setPositions(position) && spy.wait(5000);
}

TEST(PlayerEngine, RendersStoppedThenPlaysToTheEnd) {
    PlayerEngine engine;
    EXPECT_EQ(engine.state(), PlayerEngine::Uninitialised);
    QSignalSpy activated(&engine, &PlayerEngine::activated);
    ASSERT_EQ(render(engine, "mp4_h264_640x480.mp4"), PlayerEngine::RenderComplete);
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(engine.state(), PlayerEngine::Stopped);
    EXPECT_NEAR(engine.durationMs(), 3000, 50);
    EXPECT_EQ(engine.videoWidth(), 640);
    EXPECT_EQ(engine.videoHeight(), 480);
    EXPECT_EQ(engine.averageTimePerFrame(), 400'000);

    ASSERT_TRUE(seekAndWait(engine, 25 * second / 10));
    QSignalSpy complete(&engine, &PlayerEngine::endOfFile);
    ASSERT_TRUE(engine.play());
    EXPECT_EQ(engine.state(), PlayerEngine::Playing);
    ASSERT_TRUE(complete.wait(5000));
    qint64 current = 0, stop = 0;
    ASSERT_TRUE(engine.positions(&current, &stop));
    EXPECT_NEAR(current, stop, second / 10);
    // The end holds its last picture.
    EXPECT_TRUE(showsQuadrants(engine.currentPicture(), red, green, blue, yellow, playerTolerance));
}

// libmpv refusing to start (here told to encode into a file of no known format, as a broken
// installation would refuse) leaves an engine that plays nothing and says why; the program
// runs on without a player.
TEST(PlayerEngine, WhenLibmpvCannotStartNothingPlaysAndTheReasonIsKept) {
    PlayerEngine engine(PlayerEngine::Output::Headless, {{"o", "/nonexistent/out.no-such-format"}});
    EXPECT_FALSE(engine.available());
    EXPECT_FALSE(engine.unavailableReason().isEmpty());
    EXPECT_EQ(engine.handle(), nullptr);
    QSignalSpy rendered(&engine, &PlayerEngine::rendered);
    engine.setActive(true);
    engine.setVolume(5000);
    engine.setRate(2.0);
    engine.renderFile(fixture("mp4_h264_640x480.mp4"));
    ASSERT_TRUE(rendered.wait(5000));
    EXPECT_EQ(rendered.at(0).at(0).toInt(), PlayerEngine::RenderFailed);
    EXPECT_EQ(rendered.at(0).at(1).toString(), engine.unavailableReason());
    EXPECT_FALSE(engine.play());
    EXPECT_FALSE(engine.setPositions(second));
    EXPECT_FALSE(engine.frameStep(true));
    EXPECT_FALSE(engine.selectAudioTrack(1));
    EXPECT_TRUE(engine.currentPicture().isNull());
    engine.closeFile();
    engine.setActive(false);
}

TEST(PlayerEngine, StopPositionEndsPlayback) {
    PlayerEngine engine;
    ASSERT_EQ(render(engine, "long_60s.mp4"), PlayerEngine::RenderComplete);
    QSignalSpy complete(&engine, &PlayerEngine::endOfFile);
    ASSERT_TRUE(engine.setPositions(10 * second, 10 * second + 3 * second / 10));
    ASSERT_TRUE(engine.play());
    ASSERT_TRUE(complete.wait(5000));
    qint64 current = 0, stop = 0;
    ASSERT_TRUE(engine.positions(&current, &stop));
    EXPECT_EQ(stop, 10 * second + 3 * second / 10);
    EXPECT_GE(current, 10 * second);
    EXPECT_EQ(engine.state(), PlayerEngine::Paused);
}

// The bottom-right quadrant turns white at 0.3 s: a frame either side shows either colour.
TEST(PlayerEngine, SeeksExactlyAndStepsFramesBothWays) {
    PlayerEngine engine;
    ASSERT_EQ(render(engine, "mp4_h264_640x480.mp4"), PlayerEngine::RenderComplete);
    ASSERT_TRUE(seekAndWait(engine, 2'800'000)); // frame 7, the last black one
    qint64 current = 0;
    ASSERT_TRUE(engine.positions(&current, nullptr));
    EXPECT_EQ(current, 2'800'000);
    EXPECT_TRUE(showsQuadrants(engine.currentPicture(), red, green, blue, black, playerTolerance));

    QSignalSpy settled(&engine, &PlayerEngine::seekFinished);
    ASSERT_TRUE(engine.frameStep(true));
    ASSERT_TRUE(settled.wait(5000));
    ASSERT_TRUE(engine.positions(&current, nullptr));
    EXPECT_EQ(current, 3'200'000);
    EXPECT_TRUE(showsQuadrants(engine.currentPicture(), red, green, blue, white, playerTolerance));

    ASSERT_TRUE(engine.frameStep(false));
    ASSERT_TRUE(settled.wait(5000));
    ASSERT_TRUE(engine.positions(&current, nullptr));
    EXPECT_EQ(current, 2'800'000);
    EXPECT_TRUE(showsQuadrants(engine.currentPicture(), red, green, blue, black, playerTolerance));
    EXPECT_EQ(engine.state(), PlayerEngine::Paused);

    // Back from the start stays at the start.
    ASSERT_TRUE(seekAndWait(engine, 0));
    ASSERT_TRUE(engine.frameStep(false));
    ASSERT_TRUE(engine.positions(&current, nullptr));
    EXPECT_EQ(current, 0);
}

// A seek asked for as soon as the file has opened (playing from a bookmark) is not finished by
// the restart of playback that libmpv reports for the opening itself.
TEST(PlayerEngine, ASeekRightAfterOpeningEndsWhereItWasAsked) {
    PlayerEngine engine;
    engine.setActive(true);
    for (int run = 0; run < 5; ++run) {
        QObject::connect(
            &engine, &PlayerEngine::rendered, &engine,
            [&engine] {
                // libmpv goes on meanwhile: the restart of the opening is reported before
                // it hears of the seek.
                QThread::msleep(300);
                engine.setPositions(30 * 10'000'000LL);
            },
            Qt::SingleShotConnection);
        QSignalSpy seeked(&engine, &PlayerEngine::seekFinished);
        engine.renderFile(fixture("long_60s.mp4"));
        ASSERT_TRUE(seeked.wait(10000)) << run;
        qint64 current = 0;
        ASSERT_TRUE(engine.positions(&current, nullptr));
        EXPECT_NEAR(current, 30 * 10'000'000LL, 10'000'000) << run;
        engine.closeFile();
    }
}

TEST(PlayerEngine, VolumeAndRateAreKeptAcrossFiles) {
    EXPECT_EQ(mpvVolume(0), 0);
    EXPECT_NEAR(mpvVolume(10000), 100.0, 0.01);
    EXPECT_NEAR(mpvVolume(5000), 74.9, 0.1); // -7.52 dB
    EXPECT_NEAR(mpvVolume(20000), 100.0, 0.01);

    PlayerEngine engine;
    engine.setVolume(5000);
    engine.setRate(2.0);
    engine.setVolume(-3);
    EXPECT_EQ(engine.volume(), 0);
    engine.setVolume(5000);
    for (const char* name : {"mp4_h264_640x480.mp4", "avi_mpeg4_640x480.avi"}) {
        ASSERT_EQ(render(engine, name), PlayerEngine::RenderComplete) << name;
        EXPECT_EQ(engine.volume(), 5000);
        EXPECT_EQ(engine.rate(), 2.0);
        EXPECT_NEAR(mpvNumber(engine, "volume"), mpvVolume(5000), 0.01) << name;
        EXPECT_NEAR(mpvNumber(engine, "speed"), 2.0, 1e-9) << name;
        engine.closeFile();
    }
}

TEST(PlayerEngine, ChoosesBetweenTwoAudioTracks) {
    PlayerEngine engine;
    ASSERT_EQ(render(engine, "two_audio.mkv"), PlayerEngine::RenderComplete);
    ASSERT_EQ(engine.audioTrackCount(), 2);
    EXPECT_EQ(engine.audioTrack(), 1);
    EXPECT_TRUE(engine.selectAudioTrack(2));
    EXPECT_FALSE(engine.selectAudioTrack(3));
    EXPECT_EQ(engine.audioTrack(), 2);
    ASSERT_TRUE(seekAndWait(engine, second)); // lets the property settle
    EXPECT_EQ(mpvNumber(engine, "aid"), 2);
    const QList<TrackFacts>& tracks = engine.facts().tracks;
    ASSERT_EQ(tracks.size(), 3);
    EXPECT_EQ(tracks[1].language, "jpn");
    EXPECT_EQ(tracks[2].language, "eng");
    EXPECT_EQ(tracks[2].number, 2);
}

TEST(PlayerEngine, PartialRenderPlaysTheAudio) {
    PlayerEngine engine;
    ASSERT_EQ(render(engine, "no_decoder.avi"), PlayerEngine::RenderPartial);
    EXPECT_EQ(engine.videoWidth(), 0);
    EXPECT_TRUE(engine.play());
    EXPECT_EQ(engine.state(), PlayerEngine::Playing);
    EXPECT_TRUE(engine.currentPicture().isNull());
}

TEST(PlayerEngine, BrokenFilesFailWithACodeAndLeaveNothingLoaded) {
    PlayerEngine engine;
    for (const char* name :
         {"empty.avi", "text.mpg", "truncated_index.mp4", "does_not_exist.mkv"}) {
        engine.setActive(true);
        QSignalSpy spy(&engine, &PlayerEngine::rendered);
        engine.renderFile(fixture(name));
        ASSERT_TRUE(spy.wait(5000)) << name;
        EXPECT_EQ(spy.at(0).at(0).toInt(), PlayerEngine::RenderFailed) << name;
        EXPECT_FALSE(spy.at(0).at(1).toString().isEmpty()) << name;
        EXPECT_FALSE(engine.play()) << name;
        EXPECT_FALSE(engine.positions(nullptr, nullptr)) << name;
    }
    // An inactive engine builds nothing and says so with the partial code.
    engine.setActive(false);
    EXPECT_EQ(engine.state(), PlayerEngine::Uninitialised);
    QSignalSpy spy(&engine, &PlayerEngine::rendered);
    engine.renderFile(fixture("mp4_h264_640x480.mp4"));
    ASSERT_TRUE(spy.wait(2000));
    EXPECT_EQ(spy.at(0).at(0).toInt(), PlayerEngine::RenderPartial);
    EXPECT_FALSE(engine.play());
}

TEST(PlayerEngine, TruncatedFilePlaysToWhereItEnds) {
    PlayerEngine engine;
    ASSERT_EQ(render(engine, "truncated.mkv"), PlayerEngine::RenderComplete);
    QSignalSpy complete(&engine, &PlayerEngine::endOfFile);
    QSignalSpy failed(&engine, &PlayerEngine::errorAbort);
    ASSERT_TRUE(engine.play());
    ASSERT_TRUE(complete.wait(6000) || failed.count() > 0);
}

TEST(PlayerEngine, ANewRenderAbandonsTheOneUnderWay) {
    PlayerEngine engine;
    engine.setActive(true);
    QSignalSpy spy(&engine, &PlayerEngine::rendered);
    engine.renderFile(fixture("mkv_h264_1280x720.mkv"));
    engine.renderFile(fixture("portrait_480x640.mp4"));
    ASSERT_TRUE(spy.wait(5000));
    QTest::qWait(300);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(engine.path(), fixture("portrait_480x640.mp4"));
    EXPECT_EQ(engine.videoWidth(), 480);
    // Cleared while opening: no answer at all.
    engine.renderFile(fixture("mp4_h264_640x480.mp4"));
    engine.closeFile();
    QTest::qWait(500);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(engine.state(), PlayerEngine::Stopped);
}

TEST(PlayerEngine, PicturesAtOwnAndDisplayedSizeAndCrop) {
    PlayerEngine engine;
    ASSERT_EQ(render(engine, "rotated_90.mp4"), PlayerEngine::RenderComplete);
    EXPECT_EQ(engine.videoWidth(), 480);
    EXPECT_EQ(engine.videoHeight(), 640);
    ASSERT_TRUE(seekAndWait(engine, 0));
    const QImage own = engine.currentPicture();
    EXPECT_EQ(own.size(), QSize(480, 640));
    EXPECT_TRUE(showsQuadrants(own, green, black, red, blue, playerTolerance));
    engine.setDestinationRect(QRect(10, 20, 240, 320));
    EXPECT_EQ(engine.displayedPicture().size(), QSize(240, 320));

    // An anamorphic picture's own size is its coded size, not the stretched one.
    ASSERT_EQ(render(engine, "mpeg2_720x480_4x3.mpg"), PlayerEngine::RenderComplete);
    EXPECT_EQ(engine.displaySize(), QSize(720, 540));
    ASSERT_TRUE(seekAndWait(engine, 0));
    EXPECT_EQ(engine.currentPicture().size(), QSize(720, 480));

    ASSERT_EQ(render(engine, "mp4_h264_640x480.mp4"), PlayerEngine::RenderComplete);
    EXPECT_FALSE(engine.setSourceRect(QRect(0, 16, 640, 480)));
    ASSERT_TRUE(engine.setSourceRect(QRect(0, 16, 640, 448)));
    ASSERT_TRUE(seekAndWait(engine, 0));
    const QImage cropped = engine.currentPicture();
    EXPECT_EQ(cropped.size(), QSize(640, 448));
    EXPECT_TRUE(showsQuadrants(cropped, red, green, blue, black, playerTolerance));
    ASSERT_TRUE(engine.setSourceRect(QRect()));
    ASSERT_TRUE(seekAndWait(engine, 0));
    EXPECT_EQ(engine.currentPicture().size(), QSize(640, 480));
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

} // namespace
