#include "media/StreamDescription.h"

#include "Fixtures.h"
#include "media/MediaFacts.h"

#include <gtest/gtest.h>

using namespace tavimo::media;
using tavimo::media::test::fixture;

namespace {

QString describe(const char* name) {
    return streamDescription(readMediaFacts(fixture(QLatin1String(name))));
}

TEST(StreamDescription, NamesTheCodecsOfFixtureFiles) {
    const std::pair<const char*, const char*> cases[] = {
        {"mp4_h264_640x480.mp4",
         "Video: H264_avc1 640X480, 24bits, 25.000fps Audio: AAC 44100Hz, 1Ch"},
        {"mpeg2_720x480_4x3.mpg",
         "Video: MPEG2_VIDEO 720X480, 25.000fps Audio: MPEG Audio 48000Hz, 1Ch"},
        {"mpeg1_640x480.mpg", "Video: MPEGVideo 640X480, 25.000fps Audio: MPEG Audio 44100Hz, 1Ch"},
        {"avi_mpeg4_640x480.avi",
         "Video: FMP4 640X480, 24bits, 25.000fps Audio: MPEG_Layer3 44100Hz, 1Ch"},
        {"ogg_theora_640x480.ogg",
         "Video: theo 640X480, 12bits, 25.000fps Audio: Vorbis  44100Hz, 1ch"},
        {"avi_mpeg4_pcm_320x240.avi",
         "Video: FMP4 320X240, 24bits, 25.000fps Audio: PCM 48000Hz, 2Ch"},
        {"mkv_mpeg2_ac3_320x240.mkv",
         "Video: MPEG2_VIDEO 320X240, 25.000fps Audio: Dolby_AC3 48000Hz, 2Ch"},
        {"wmv_wmv2_640x480.wmv",
         "Video: WMV2 640X480, 24bits, 25.000fps Audio: WMAudioV8 44100Hz, 1Ch"},
        {"audio_only.mp4", "Audio: AAC 44100Hz, 1Ch"},
        // The video has no decoder: it does not play, and is not described.
        {"no_decoder.avi", "Audio: MPEG_Layer3 44100Hz, 1Ch"},
    };
    for (const auto& [name, want] : cases)
        EXPECT_EQ(describe(name), QString::fromUtf8(want)) << name;
}

TEST(StreamDescription, TwoAudioTracksAreNumbered) {
    EXPECT_EQ(describe("two_audio.mkv"), "Video: H264_avc1 640X480, 12bits, 25.000fps Audio1: AAC "
                                         "44100Hz, 1Ch Audio2: AAC 44100Hz, 1Ch");
    // Every "audio" of a description is numbered, and the decoded format the first track
    // needs is told for both.
    TrackFacts vorbis;
    vorbis.kind = TrackFacts::Kind::Audio;
    vorbis.codec = QStringLiteral("vorbis");
    vorbis.decodable = true;
    vorbis.sampleRate = 48000;
    vorbis.channels = 2;
    TrackFacts mp2 = vorbis;
    mp2.codec = QStringLiteral("mp2");
    mp2.formatTag = 0x50;
    MediaFacts facts;
    facts.tracks = {vorbis, mp2};
    EXPECT_EQ(streamDescription(facts),
              "Audio1: Vorbis  48000Hz, 2ch Audio2: MPEG Audio2 48000Hz, 2Ch  48000Hz, 2ch");
}

TEST(StreamDescription, UnnamedFormatsAndOddRates) {
    TrackFacts a;
    a.kind = TrackFacts::Kind::Audio;
    a.sampleRate = 22050;
    a.channels = 6;
    a.formatTag = 0x1234;
    EXPECT_EQ(audioDescription(a), "Audio: Unknown, 22050Hz, 6Ch");
    a.formatTag = 0x160; // Windows Media audio 1: a Windows Media name is not needed
    EXPECT_EQ(audioDescription(a), "Audio: Unknown, 22050Hz, 6Ch");
    a.formatTag = 0x162;
    EXPECT_EQ(audioDescription(a), "Audio: WMAudioV9 22050Hz, 6Ch");
    a.codec = QStringLiteral("pcm_dvd");
    a.formatTag = 0;
    EXPECT_EQ(audioDescription(a), "Audio: DVD_LPCMAudio Unknown");
    a.codec = QStringLiteral("vorbis");
    a.formatTag = 0x6750; // Vorbis through an ACM tag has a wave format
    EXPECT_EQ(audioDescription(a), "Audio: ACMVorbis 22050Hz, 6Ch");

    TrackFacts v;
    v.codec = QStringLiteral("rawvideo");
    v.fourCC = QStringLiteral("YUY2");
    v.size = {720, 576};
    v.frameRate = 30000.0 / 1001.0; // 333667 units a frame
    EXPECT_EQ(videoDescription(v), "Video: YUY2 720X576 29.970fps ");
    v.bitDepth = 16;
    v.frameRate = 0;
    EXPECT_EQ(videoDescription(v), "Video: YUY2 720X576, 16bits, ");
    v.fourCC.clear();
    EXPECT_EQ(videoDescription(v), "Video: Unknown ");
    v.codec = QStringLiteral("dvvideo");
    EXPECT_EQ(videoDescription(v), "Video: DvInfo ");
    EXPECT_EQ(waveFormatName(0x2001), "DTS");
    EXPECT_EQ(waveFormatName(0x75), "VOXWARE");
    EXPECT_TRUE(waveFormatName(0x4).isEmpty());
}

} // namespace
