#include "media/FrameGrabber.h"

#include "media/DecoderMemory.h"
#include "media/FfmpegInput.h"
#include "media/FrameDecoding.h"

namespace tavimo::media {

namespace {

using namespace ff;

// Decodes packets of one stream from the current read position and keeps in `out` the frame
// shown at `target` (stream time base): the last frame that starts at or before it, or the
// first frame after it when the video starts later. With `target` AV_NOPTS_VALUE the first
// frame is kept. Packets before the first keyframe are skipped: they would decode to garbage.
bool decodeUntil(AVFormatContext* fmt, AVCodecContext* dec, int stream, int64_t target,
                 AVFrame* out) {
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!packet || !frame)
        return false;
    bool have = false;
    bool keySeen = false;
    bool done = false;
    // Takes every frame the decoder has ready; true once the search is over.
    auto receive = [&] {
        while (avcodec_receive_frame(dec, frame.get()) >= 0) {
            const int64_t pts = frame->best_effort_timestamp;
            const bool notYet =
                target != AV_NOPTS_VALUE && (pts == AV_NOPTS_VALUE || pts <= target);
            if (notYet || !have) {
                av_frame_unref(out);
                av_frame_move_ref(out, frame.get());
                have = true;
            }
            av_frame_unref(frame.get());
            if (!notYet)
                return true;
        }
        return false;
    };
    while (!done && av_read_frame(fmt, packet.get()) >= 0) {
        if (packet->stream_index == stream && (keySeen || (packet->flags & AV_PKT_FLAG_KEY))) {
            keySeen = true;
            if (avcodec_send_packet(dec, packet.get()) == AVERROR(EAGAIN)) {
                done = receive();
                avcodec_send_packet(dec, packet.get());
            }
            done = done || receive();
        }
        av_packet_unref(packet.get());
    }
    if (!done) { // end of file (or of the budget): what the decoder still holds
        avcodec_send_packet(dec, nullptr);
        receive();
    }
    return have;
}

GrabResult failed(const QString& why) {
    return {GrabOutcome::Failed, {}, why};
}

// Back to the very beginning of the file, by byte where the format allows it (a timestamp
// seek to the start may land on a later keyframe), else by timestamp.
bool rewind(AVFormatContext* fmt, AVCodecContext* dec, int stream) {
    avcodec_flush_buffers(dec);
    const bool byBytes = !(fmt->iformat->flags & AVFMT_NO_BYTE_SEEK) &&
                         av_seek_frame(fmt, -1, 0, AVSEEK_FLAG_BYTE) >= 0;
    return byBytes || av_seek_frame(fmt, stream, streamStart(fmt, fmt->streams[stream]),
                                    AVSEEK_FLAG_BACKWARD) >= 0;
}

} // namespace

FrameGrabber::FrameGrabber() {
    keepDecoderMemory();
}

GrabResult FrameGrabber::grab(const QString& path, GrabPoint point, QSize box) {
    Input input;
    if (!input.open(path, openBudget))
        return failed(input.error());
    AVFormatContext* fmt = input.context();
    const Streams streams = surveyStreams(fmt);
    if (streams.playable == 0)
        return failed(QStringLiteral("no audio or video stream"));
    if (streams.missing > 0)
        return {GrabOutcome::Partial, {}, QStringLiteral("a stream has no decoder")};
    if (streams.video < 0) // audio only: built, with a black picture
        return {GrabOutcome::Built, {}, {}};

    AVStream* st = fmt->streams[streams.video];
    // A real video of 8K and more gets the picture of an audio file rather than none: it
    // stays in the album. Its frames are not decoded.
    if (tooLarge(st))
        return {GrabOutcome::Built, {}, QStringLiteral("the video is too large for a thumbnail")};
    CodecPtr dec = openDecoder(st);
    if (!dec)
        return failed(QStringLiteral("the video decoder can't be opened"));
    readOnly(fmt, streams.video);
    input.setBudget(decodeBudget);

    FramePtr frame(av_frame_alloc());
    if (!frame)
        return failed(QStringLiteral("out of memory"));
    bool have = false;
    if (point == GrabPoint::FirstFrame) {
        have = decodeFirstKeyframe(fmt, dec.get(), streams.video, frame.get());
        if (!have && rewind(fmt, dec.get(), streams.video))
            have = decodeUntil(fmt, dec.get(), streams.video, AV_NOPTS_VALUE, frame.get());
    } else {
        const int64_t target =
            streamStart(fmt, st) + av_rescale_q(500, AVRational{1, 1000}, st->time_base);
        have = decodeUntil(fmt, dec.get(), streams.video, target, frame.get());
    }
    if (!have)
        return failed(QStringLiteral("no video frame could be decoded"));

    const int rotation = clockwiseRotation(st);
    const AVRational sar = av_guess_sample_aspect_ratio(fmt, st, frame.get());
    const QSize shown = displaySize(frame->width, frame->height, sar.num, sar.den, rotation);
    QSize size = box.isEmpty() ? boundedSize(shown) : fitInto(shown, box);
    if (rotation == 90 || rotation == 270) // the size before turning
        size.transpose();
    QImage picture = converter_.toImage(frame.get(), size.width(), size.height(), rotation);
    if (picture.isNull())
        return failed(QStringLiteral("the picture can't be converted"));
    return {GrabOutcome::Built, std::move(picture), {}};
}

QImage FrameGrabber::frameAt(const QString& path, qint64 position) {
    Input input;
    if (!input.open(path, openBudget))
        return {};
    AVFormatContext* fmt = input.context();
    const Streams streams = surveyStreams(fmt);
    if (streams.video < 0)
        return {};
    AVStream* st = fmt->streams[streams.video];
    CodecPtr dec = tooLarge(st) ? nullptr : openDecoder(st);
    if (!dec)
        return {};
    readOnly(fmt, streams.video);
    input.setBudget(decodeBudget);
    const int64_t target =
        streamStart(fmt, st) +
        av_rescale_q(std::max<qint64>(position, 0), AVRational{1, 10'000'000}, st->time_base);
    // Back to the keyframe at or before the target, then forward. Some demuxers (MPEG
    // program streams, Ogg) land after the target; then seek again further back, a second,
    // two, four... until the frame found starts in time or the start is reached.
    const int64_t start = streamStart(fmt, st);
    const int64_t second = av_rescale_q(1, AVRational{1, 1}, st->time_base);
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return {};
    const int stream = streams.video;
    auto late = [&] {
        return frame->best_effort_timestamp != AV_NOPTS_VALUE &&
               frame->best_effort_timestamp > target;
    };
    for (int64_t back = 0;; back = back ? back * 2 : second) {
        const int64_t seekTo = target - back;
        avcodec_flush_buffers(dec.get());
        if (seekTo > start && av_seek_frame(fmt, stream, seekTo, AVSEEK_FLAG_BACKWARD) >= 0) {
            if (!decodeUntil(fmt, dec.get(), stream, target, frame.get()))
                return {};
            if (!late())
                break;
            continue;
        }
        // From the start by timestamp. When that lands late too, the frame is either the
        // video's first (it starts after the target) or the seek skipped frames: decoding
        // from byte 0 tells, and the earlier answer wins.
        if (av_seek_frame(fmt, stream, start, AVSEEK_FLAG_BACKWARD) < 0 ||
            !decodeUntil(fmt, dec.get(), stream, target, frame.get())) {
            if (!rewind(fmt, dec.get(), stream) ||
                !decodeUntil(fmt, dec.get(), stream, target, frame.get()))
                return {};
        } else if (late()) {
            FramePtr again(av_frame_alloc());
            if (again && rewind(fmt, dec.get(), stream) &&
                decodeUntil(fmt, dec.get(), stream, target, again.get()) &&
                again->best_effort_timestamp < frame->best_effort_timestamp)
                frame = std::move(again);
        }
        break;
    }

    return converter_.toImage(frame.get(), frame->width, frame->height, clockwiseRotation(st));
}

} // namespace tavimo::media
