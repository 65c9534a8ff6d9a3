#include "media/MediaFacts.h"

#include "media/FfmpegInput.h"
#include "media/FrameConverter.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace tavimo::media {

namespace {

using namespace ff;

QString fourCCText(uint32_t tag) {
    QString text;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((tag >> (8 * i)) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? QLatin1Char(c) : QLatin1Char('?');
    }
    return text;
}

// The wave format tag of an audio track: the file's own where it has one (AVI, ASF, WAV),
// else the usual one for the codec. MP4 and others carry a four-character code instead.
int formatTag(const AVCodecParameters* p) {
    if (p->codec_tag != 0 && p->codec_tag <= 0xFFFF)
        return static_cast<int>(p->codec_tag);
    const AVCodecTag* const tables[] = {avformat_get_riff_audio_tags(), nullptr};
    return static_cast<int>(av_codec_get_tag(tables, p->codec_id) & 0xFFFF);
}

// The four-character code of a video track: the file's own, else the usual one for the codec
// (Matroska names no code; H.264 is "avc1" as in MP4).
QString fourCC(const AVCodecParameters* p) {
    if (p->codec_tag != 0)
        return fourCCText(p->codec_tag);
    if (p->codec_id == AV_CODEC_ID_H264)
        return QStringLiteral("avc1");
    const AVCodecTag* const tables[] = {avformat_get_riff_video_tags(), nullptr};
    const uint32_t tag = av_codec_get_tag(tables, p->codec_id);
    return tag ? fourCCText(tag) : QString();
}

TrackFacts describe(const AVFormatContext* fmt, const AVStream* st) {
    const AVCodecParameters* p = st->codecpar;
    TrackFacts t;
    t.codec = QString::fromLatin1(avcodec_get_name(p->codec_id));
    if (p->codec_id == AV_CODEC_ID_NONE)
        t.codec.clear();
    t.decodable = avcodec_find_decoder(p->codec_id) != nullptr;
    if (const AVDictionaryEntry* lang = av_dict_get(st->metadata, "language", nullptr, 0))
        t.language = QString::fromUtf8(lang->value);
    if (isVideo(st)) {
        t.kind = TrackFacts::Kind::Video;
        t.fourCC = fourCC(p);
        t.size = {p->width, p->height};
        t.rotation = clockwiseRotation(st);
        const AVRational sar = av_guess_sample_aspect_ratio(const_cast<AVFormatContext*>(fmt),
                                                            const_cast<AVStream*>(st), nullptr);
        t.displaySize = displaySize(p->width, p->height, sar.num, sar.den, t.rotation);
        t.bitDepth = p->bits_per_coded_sample;
        if (t.bitDepth == 0 && p->format >= 0)
            t.bitDepth =
                av_get_bits_per_pixel(av_pix_fmt_desc_get(static_cast<AVPixelFormat>(p->format)));
        const AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
        if (rate.num > 0 && rate.den > 0)
            t.frameRate = av_q2d(rate);
    } else {
        t.kind = TrackFacts::Kind::Audio;
        t.sampleRate = p->sample_rate;
        t.channels = p->ch_layout.nb_channels;
        t.formatTag = formatTag(p);
    }
    return t;
}

} // namespace

const TrackFacts* MediaFacts::firstVideo() const {
    for (const TrackFacts& t : tracks)
        if (t.kind == TrackFacts::Kind::Video)
            return &t;
    return nullptr;
}

int MediaFacts::audioCount() const {
    int n = 0;
    for (const TrackFacts& t : tracks)
        n += t.kind == TrackFacts::Kind::Audio;
    return n;
}

MediaFacts readMediaFacts(const QString& path, const std::function<void()>& accepted,
                          const std::atomic<bool>* cancel) {
    MediaFacts facts;
    Input input;
    // Stream parameters read up to a cancel would be partial: they are no answer either.
    if (!input.open(path, std::chrono::milliseconds(3000), accepted, cancel) || input.cancelled()) {
        facts.cancelled = input.cancelled();
        facts.error = facts.cancelled ? QStringLiteral("cancelled") : input.error();
        return facts;
    }
    const AVFormatContext* fmt = input.context();
    int videos = 0, audios = 0;
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVStream* st = fmt->streams[i];
        if (!isPlayable(st))
            continue;
        TrackFacts t = describe(fmt, st);
        t.number = t.kind == TrackFacts::Kind::Video ? ++videos : ++audios;
        facts.undecodable += t.decodable ? 0 : 1;
        facts.tracks.append(t);
    }
    if (facts.tracks.isEmpty()) {
        facts.error = QStringLiteral("no audio or video stream");
        return facts;
    }
    if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
        facts.durationMs = fmt->duration / 1000;
    facts.opened = true;
    return facts;
}

} // namespace tavimo::media
