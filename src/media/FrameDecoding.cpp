#include "media/FrameDecoding.h"

#include "media/FfmpegInput.h"

namespace tavimo::media::ff {

Streams surveyStreams(const AVFormatContext* fmt) {
    Streams s;
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVStream* st = fmt->streams[i];
        if (!isPlayable(st))
            continue;
        ++s.playable;
        const bool decodable = avcodec_find_decoder(st->codecpar->codec_id) != nullptr;
        if (!decodable)
            ++s.missing;
        else if (isVideo(st) && s.video < 0)
            s.video = static_cast<int>(i);
    }
    return s;
}

void readOnly(AVFormatContext* fmt, int stream) {
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        if (static_cast<int>(i) != stream)
            fmt->streams[i]->discard = AVDISCARD_ALL;
}

bool tooLarge(const AVStream* stream) {
    return qint64(stream->codecpar->width) * stream->codecpar->height > maxFramePixels;
}

bool decodeFirstKeyframe(AVFormatContext* fmt, AVCodecContext* dec, int stream, AVFrame* out) {
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return false;
    while (av_read_frame(fmt, packet.get()) >= 0) {
        const bool key = packet->stream_index == stream && (packet->flags & AV_PKT_FLAG_KEY) != 0;
        if (key) {
            const bool sent = avcodec_send_packet(dec, packet.get()) >= 0;
            av_packet_unref(packet.get());
            if (!sent)
                return false;
            avcodec_send_packet(dec, nullptr);
            return avcodec_receive_frame(dec, out) >= 0;
        }
        av_packet_unref(packet.get());
    }
    return false;
}

} // namespace tavimo::media::ff
