#pragma once

#include <QString>

namespace tavimo::media {

struct MediaFacts;
struct TrackFacts;

// The hint of the player's title: what the file's video and audio are, in the program's own
// words. "Video: H264_avc1 640X480, 24bits, 25.000fps " for the video; "Audio: AAC 44100Hz,
// 2Ch" for the audio, its wave format named by the tag the file carries or the usual one for
// the codec; a file with two audio tracks names them "Audio1" and "Audio2". Tracks that cannot
// be decoded are left out, as they do not play.
QString streamDescription(const MediaFacts& facts);

// One track's part of the description (without the numbering of two audio tracks).
QString videoDescription(const TrackFacts& video);
QString audioDescription(const TrackFacts& audio);

// The name of a wave format tag ("PCM" for 1, "MPEG_Layer3" for 0x55); empty for a tag the
// program has no name for.
QString waveFormatName(int tag);

} // namespace tavimo::media
