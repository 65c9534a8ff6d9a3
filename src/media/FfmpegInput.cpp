#include "media/FfmpegInput.h"

extern "C" {
#include <libavutil/display.h>
}

#include <QFile>
#include <cmath>
#include <mutex>

namespace tavimo::media::ff {

QString errorText(int code) {
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buffer, sizeof buffer);
    return QString::fromUtf8(buffer);
}

int Input::interrupted(void* self) {
    return std::chrono::steady_clock::now() > static_cast<Input*>(self)->deadline_ ? 1 : 0;
}

void Input::setBudget(std::chrono::milliseconds budget) {
    deadline_ = std::chrono::steady_clock::now() + budget;
}

bool Input::open(const QString& path, std::chrono::milliseconds budget) {
    // Broken files are expected here and answered by error(); FFmpeg's own complaints on
    // standard error would only alarm the user.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_FATAL); });
    ctx_.reset();
    error_.clear();
    setBudget(budget);
    AVFormatContext* ctx = avformat_alloc_context();
    if (!ctx) {
        error_ = QStringLiteral("out of memory");
        return false;
    }
    ctx->interrupt_callback = {&Input::interrupted, this};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // Enough for the stream parameters of ordinary files; the defaults (5 MB, 5 s) make a
    // damaged file cost far more without finding more.
    av_dict_set(&options, "probesize", "2000000", 0);
    av_dict_set(&options, "analyzeduration", "2000000", 0);
    // "file:" keeps a name with a colon from being read as another protocol.
    const QByteArray url = "file:" + QFile::encodeName(path);
    int rc = avformat_open_input(&ctx, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (rc < 0) { // avformat_open_input frees the context on failure
        error_ = errorText(rc);
        return false;
    }
    ctx_.reset(ctx);
    rc = avformat_find_stream_info(ctx, nullptr);
    if (rc < 0) {
        error_ = errorText(rc);
        ctx_.reset();
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
