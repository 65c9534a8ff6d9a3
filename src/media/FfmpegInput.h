#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

// Small owners of FFmpeg objects and a media file opened with bounded probing. Used by the
// frame grabber and the stream facts reader; every object belongs to one thread.
namespace tavimo::media::ff {

struct IoCloser {
    void operator()(AVIOContext* c) const { avio_closep(&c); }
};
struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using IoPtr = std::unique_ptr<AVIOContext, IoCloser>;
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;

// FFmpeg's text for an error code.
QString errorText(int code);

// The most pixels a decoded frame or a converted picture may hold: DCI 4K and UHD fit. A frame
// of 4096 x 2304 in 4:4:4 at 16 bits is 57 MB, so one worker stays within 64 MB; a file that
// claims more (an 8K video, or a hostile header) is refused before it is decoded.
inline constexpr qint64 maxFramePixels = 4096LL * 2304;

// A local media file opened for reading. Only that one file is read: it must be a regular
// file (a FIFO would block in open()), FFmpeg reads it through the file protocol only, and
// formats whose purpose is to open other files (playlists, concat lists, image sequences,
// manifests) are refused after probing, before they read anything else; any other attempt of
// a demuxer to open a second file fails. Probing reads at most a few megabytes and every read
// of probing, of the stream parameters and of decoding is abandoned once the deadline has
// passed, or as soon as the caller's cancel flag is raised, so a file that is not a video (or
// a stalled network share) costs milliseconds to seconds, never minutes.
class Input {
public:
    Input() = default;
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // Opens `path` and reads its stream parameters within `budget`. False with error() set
    // when the file can't be opened or holds nothing FFmpeg can read. `accepted`, when given,
    // is called as soon as the file is known to be one regular file in a format that opens no
    // other, before the slower reading of the stream parameters. Raising `cancel` (from any
    // thread) abandons the reading at FFmpeg's next check: open fails and cancelled() is true.
    bool open(const QString& path, std::chrono::milliseconds budget,
              const std::function<void()>& accepted = {},
              const std::atomic<bool>* cancel = nullptr);
    // Gives the reads that follow a new deadline (decoding after the probe).
    void setBudget(std::chrono::milliseconds budget);

    AVFormatContext* context() const { return ctx_.get(); }
    const QString& error() const { return error_; }
    bool cancelled() const { return cancel_ && *cancel_; }

private:
    static int interrupted(void* self);
    void close();

    IoPtr io_;      // the file itself; the format context reads through it
    FormatPtr ctx_; // declared after io_: closed before it
    std::chrono::steady_clock::time_point deadline_{};
    const std::atomic<bool>* cancel_ = nullptr;
    QString error_;
};

// A single-threaded decoder for the stream, or null when FFmpeg has none for its codec. It
// refuses frames of more than maxFramePixels.
CodecPtr openDecoder(const AVStream* stream);

// True for the streams a file is judged by: audio, and video that is not a cover picture.
bool isPlayable(const AVStream* stream);
bool isVideo(const AVStream* stream);

// The quarter turns (0, 90, 180, 270, clockwise) the stream's display matrix asks for.
int clockwiseRotation(const AVStream* stream);

// Where positions count from, in the stream's time base: the file's start (the earliest of its
// streams), as the player counts, else the stream's own start, else 0.
int64_t streamStart(const AVFormatContext* ctx, const AVStream* stream);

} // namespace tavimo::media::ff
