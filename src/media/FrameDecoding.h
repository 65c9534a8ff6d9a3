#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// Steps of decoding single frames that the frame grabber and the preview decoder share. Every
// call works on objects of the calling thread.
namespace tavimo::media::ff {

struct Streams {
    int video = -1;   // the first video stream FFmpeg can decode
    int playable = 0; // audio and video streams
    int missing = 0;  // of those, streams without a decoder
};

// Which streams a file has and which of them can be decoded.
Streams surveyStreams(const AVFormatContext* fmt);

// Lets the demuxer skip the data of every stream but `stream`.
void readOnly(AVFormatContext* fmt, int stream);

// True when the stream says its frames hold more pixels than a worker may decode.
bool tooLarge(const AVStream* stream);

// The picture of the first keyframe from the current read position, by sending that one
// packet and draining the decoder: no later frame is decoded. False when the decoder gives
// nothing back for it alone. The decoder needs avcodec_flush_buffers before further use.
bool decodeFirstKeyframe(AVFormatContext* fmt, AVCodecContext* dec, int stream, AVFrame* out);

} // namespace tavimo::media::ff
