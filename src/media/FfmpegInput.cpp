#include "media/FfmpegInput.h"

extern "C" {
#include <libavutil/display.h>
}

#include "core/RegularFiles.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <mutex>
#include <string_view>
#include <vector>

namespace tavimo::media::ff {

QString errorText(int code) {
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buffer, sizeof buffer);
    return QString::fromUtf8(buffer);
}

int Input::interrupted(void* self) {
    const auto* input = static_cast<Input*>(self);
    return input->cancelled() || std::chrono::steady_clock::now() > input->deadline_ ? 1 : 0;
}

void Input::setBudget(std::chrono::milliseconds budget) {
    deadline_ = std::chrono::steady_clock::now() + budget;
}

void Input::close() {
    ctx_.reset(); // a context on our own I/O leaves the file open...
    io_.reset();  // ...for us to close
}

namespace {

// Enough for the stream parameters of ordinary files; the defaults (5 MB, 5 s) make a damaged
// file cost far more without finding more.
constexpr int probeBytes = 2'000'000;

// Formats that exist to read other files or network streams: a playlist, a concat list, a
// manifest, a session description. Formats that open files by themselves (an image sequence)
// carry AVFMT_NOFILE. A 60-byte playlist that names itself makes FFmpeg read for a minute and
// fill gigabytes; none of these is one video.
bool opensOtherFiles(const AVInputFormat* format) {
    static const char* const names[] = {"concat", "hls", "dash", "imf", "sdp", "rtsp", "rtp"};
    if (format->flags & AVFMT_NOFILE)
        return true;
    const std::string_view name = format->name;
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* n) { return name == n; });
}

// A demuxer asking for a second file (a sibling part, a referenced track) gets none: only the
// file the user chose is read.
int refuseOtherFile(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

} // namespace

bool Input::open(const QString& path, std::chrono::milliseconds budget,
                 const std::function<void()>& accepted, const std::atomic<bool>* cancel) {
    // Broken files are expected here and answered by error(); FFmpeg's own complaints on
    // standard error would only alarm the user.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_FATAL); });
    close();
    error_.clear();
    setBudget(budget);
    cancel_ = cancel;
    if (cancelled()) {
        error_ = QStringLiteral("cancelled");
        return false;
    }
    if (!isRegularFile(path)) {
        error_ = QStringLiteral("not a regular file");
        return false;
    }
    // "file:" keeps a name with a colon from being read as another protocol.
    const QByteArray url = "file:" + QFile::encodeName(path);
    const AVIOInterruptCB interrupt{&Input::interrupted, this};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVIOContext* io = nullptr;
    int rc = avio_open2(&io, url.constData(), AVIO_FLAG_READ, &interrupt, &options);
    av_dict_free(&options);
    if (rc < 0) {
        error_ = errorText(rc);
        return false;
    }
    io_.reset(io);

    // The format is probed here, not inside avformat_open_input, so that a list of other
    // files is refused before its demuxer has read a line of it.
    const AVInputFormat* format = nullptr;
    rc = av_probe_input_buffer2(io, &format, url.constData(), nullptr, 0, probeBytes);
    if (rc < 0 || !format) {
        error_ = errorText(rc < 0 ? rc : AVERROR_INVALIDDATA);
        close();
        return false;
    }
    if (opensOtherFiles(format)) {
        error_ = QStringLiteral("a list of other files (%1), not a video")
                     .arg(QString::fromLatin1(format->name));
        close();
        return false;
    }
    if (accepted)
        accepted();

    AVFormatContext* ctx = avformat_alloc_context();
    if (!ctx) {
        error_ = QStringLiteral("out of memory");
        close();
        return false;
    }
    ctx->pb = io;
    ctx->flags |= AVFMT_FLAG_CUSTOM_IO;
    ctx->interrupt_callback = interrupt;
    ctx->io_open = &refuseOtherFile;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set_int(&options, "probesize", probeBytes, 0);
    av_dict_set(&options, "analyzeduration", "2000000", 0);
    rc = avformat_open_input(&ctx, url.constData(), format, &options);
    av_dict_free(&options);
    if (rc < 0) { // avformat_open_input frees the context on failure
        error_ = errorText(rc);
        close();
        return false;
    }
    ctx_.reset(ctx);
    // Reading the stream parameters decodes a few frames: the same bound on their size as
    // for the decoders the caller opens.
    std::vector<AVDictionary*> decoderOptions(ctx->nb_streams, nullptr);
    for (AVDictionary*& d : decoderOptions)
        av_dict_set_int(&d, "max_pixels", maxFramePixels, 0);
    rc = avformat_find_stream_info(ctx, decoderOptions.data());
    for (AVDictionary*& d : decoderOptions)
        av_dict_free(&d);
    if (rc < 0) {
        error_ = errorText(rc);
        close();
        return false;
    }
    return true;
}

CodecPtr openDecoder(const AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return {};
    CodecPtr dec(avcodec_alloc_context3(codec));
    if (!dec || avcodec_parameters_to_context(dec.get(), stream->codecpar) < 0)
        return {};
    dec->thread_count = 1; // one decoder thread: the pool runs one file per core
    dec->max_pixels = maxFramePixels;
    dec->pkt_timebase = stream->time_base;
    if (avcodec_open2(dec.get(), codec, nullptr) < 0)
        return {};
    return dec;
}

bool isVideo(const AVStream* stream) {
    return stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
           !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

bool isPlayable(const AVStream* stream) {
    return isVideo(stream) || stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
}

int clockwiseRotation(const AVStream* stream) {
    const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
    if (!matrix)
        return 0;
    // av_display_rotation_get gives the counter-clockwise angle of the picture.
    const double counterClockwise =
        av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (std::isnan(counterClockwise))
        return 0;
    const long quarters = std::lround(-counterClockwise / 90.0);
    return static_cast<int>(((quarters % 4) + 4) % 4) * 90;
}

int64_t streamStart(const AVFormatContext* ctx, const AVStream* stream) {
    if (ctx->start_time != AV_NOPTS_VALUE)
        return av_rescale_q(ctx->start_time, AV_TIME_BASE_Q, stream->time_base);
    if (stream->start_time != AV_NOPTS_VALUE)
        return stream->start_time;
    return 0;
}

} // namespace tavimo::media::ff
