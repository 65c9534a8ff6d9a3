#include "media/PreviewDecoder.h"

#include "media/DecoderMemory.h"
#include "media/FrameDecoding.h"
#include "media/FrameGrabber.h"

#include <algorithm>
#include <limits>

namespace tavimo::media {

namespace {

constexpr AVRational kHundredNs{1, 10'000'000};

// Without a keyframe index, going on from the frame decoded last is worth it only for a short
// way: about a second of video.
constexpr int kResumeWithoutIndex = 25;

} // namespace

PreviewDecoder::PreviewDecoder() {
    keepDecoderMemory();
}

bool PreviewDecoder::open(const QString& path) {
    stream_ = nullptr;
    decoder_.reset();
    forgetDecoded();
    path_ = path;
    error_.clear();
    duration_ = 0;
    displaySize_ = {};
    if (!input_.open(path, FrameGrabber::openBudget)) {
        error_ = input_.error();
        return false;
    }
    AVFormatContext* fmt = input_.context();
    const ff::Streams streams = ff::surveyStreams(fmt);
    if (streams.video < 0) {
        error_ = QStringLiteral("no video stream that can be decoded");
        return false;
    }
    AVStream* st = fmt->streams[streams.video];
    if (ff::tooLarge(st)) {
        error_ = QStringLiteral("the video is too large to preview");
        return false;
    }
    decoder_ = ff::openDecoder(st);
    if (!decoder_) {
        error_ = QStringLiteral("the video decoder can't be opened");
        return false;
    }
    ff::readOnly(fmt, streams.video);
    stream_ = st;
    index_ = streams.video;
    start_ = ff::streamStart(fmt, st);
    const AVRational rate = st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0
                                ? st->avg_frame_rate
                                : st->r_frame_rate;
    frameLength_ = rate.num > 0 && rate.den > 0
                       ? std::max<int64_t>(1, av_rescale_q(1, av_inv_q(rate), st->time_base))
                       : 0;
    if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
        duration_ = av_rescale_q(st->duration, st->time_base, kHundredNs);
    else if (fmt->duration > 0)
        duration_ = av_rescale_q(fmt->duration, AV_TIME_BASE_Q, kHundredNs);
    rotation_ = ff::clockwiseRotation(st);
    const AVRational sar = av_guess_sample_aspect_ratio(fmt, st, nullptr);
    displaySize_ =
        media::displaySize(st->codecpar->width, st->codecpar->height, sar.num, sar.den, rotation_);
    return true;
}

int64_t PreviewDecoder::toStream(qint64 position) const {
    return start_ + av_rescale_q(std::max<qint64>(position, 0), kHundredNs, stream_->time_base);
}

qint64 PreviewDecoder::fromStream(int64_t pts) const {
    if (pts == AV_NOPTS_VALUE)
        return 0;
    return std::max<qint64>(0, av_rescale_q(pts - start_, stream_->time_base, kHundredNs));
}

int64_t PreviewDecoder::indexedKeyframe(int64_t target, bool forward) const {
    const AVIndexEntry* entry = avformat_index_get_entry_from_timestamp(
        stream_, target, forward ? 0 : AVSEEK_FLAG_BACKWARD);
    return entry ? entry->timestamp : AV_NOPTS_VALUE;
}

void PreviewDecoder::forgetDecoded() {
    current_.reset();
    lookahead_.reset();
    needKey_ = true;
    draining_ = false;
    resumable_ = false;
}

bool PreviewDecoder::seekTo(int64_t timestamp) {
    avcodec_flush_buffers(decoder_.get());
    forgetDecoded();
    AVFormatContext* fmt = input_.context();
    if (av_seek_frame(fmt, index_, timestamp, AVSEEK_FLAG_BACKWARD) >= 0)
        return true;
    // Before the first keyframe (or a demuxer that cannot seek there): from the start.
    return av_seek_frame(fmt, index_, start_, AVSEEK_FLAG_BACKWARD) >= 0;
}

bool PreviewDecoder::nextFrame(AVFrame* out) {
    ff::PacketPtr packet(av_packet_alloc());
    if (!packet)
        return false;
    AVCodecContext* dec = decoder_.get();
    for (;;) {
        const int rc = avcodec_receive_frame(dec, out);
        if (rc >= 0)
            return true;
        if (rc != AVERROR(EAGAIN) || draining_)
            return false;
        // One more packet of the stream, or the end of the file (or of the time allowed).
        for (bool fed = false; !fed;) {
            if (av_read_frame(input_.context(), packet.get()) < 0) {
                avcodec_send_packet(dec, nullptr);
                draining_ = true;
                break;
            }
            if (packet->stream_index == index_ &&
                (!needKey_ || (packet->flags & AV_PKT_FLAG_KEY) != 0)) {
                needKey_ = false;
                // A damaged packet is skipped; the next ones may decode.
                avcodec_send_packet(dec, packet.get());
                fed = true;
            }
            av_packet_unref(packet.get());
        }
    }
}

PreviewFrame PreviewDecoder::toPreview(const AVFrame* frame, QSize box, bool exact) {
    const AVRational sar =
        av_guess_sample_aspect_ratio(input_.context(), stream_, const_cast<AVFrame*>(frame));
    const QSize shown =
        media::displaySize(frame->width, frame->height, sar.num, sar.den, rotation_);
    QSize size = box.isEmpty() ? boundedSize(shown) : fitInto(shown, box);
    if (rotation_ == 90 || rotation_ == 270) // the size before turning
        size.transpose();
    PreviewFrame preview;
    preview.picture = converter_.toImage(frame, size.width(), size.height(), rotation_);
    preview.position = fromStream(frame->best_effort_timestamp);
    preview.exact = exact;
    preview.displaySize = displaySize_;
    preview.duration = duration_;
    return preview;
}

bool PreviewDecoder::shows(const PreviewFrame& frame, qint64 position) const {
    const qint64 length =
        frameLength_ > 0 ? av_rescale_q(frameLength_, stream_->time_base, kHundredNs) : 1;
    return position >= frame.position && position < frame.position + std::max<qint64>(1, length);
}

PreviewFrame PreviewDecoder::keyframeNear(qint64 position, QSize box) {
    if (!isOpen())
        return {};
    input_.setBudget(FrameGrabber::decodeBudget);
    const int64_t target = toStream(position);
    const int64_t before = indexedKeyframe(target, false);
    const int64_t after = indexedKeyframe(target, true);
    int64_t at = target;
    if (before != AV_NOPTS_VALUE && after != AV_NOPTS_VALUE)
        at = target - before <= after - target ? before : after;
    else if (before != AV_NOPTS_VALUE)
        at = before;
    else if (after != AV_NOPTS_VALUE)
        at = after;
    ff::FramePtr frame(av_frame_alloc());
    if (!frame)
        return {};
    AVFormatContext* fmt = input_.context();
    bool have = seekTo(at) && ff::decodeFirstKeyframe(fmt, decoder_.get(), index_, frame.get());
    // Past the last keyframe a demuxer without an index finds none: the video's first one.
    if (!have && at != start_)
        have = seekTo(start_) && ff::decodeFirstKeyframe(fmt, decoder_.get(), index_, frame.get());
    // The decoder was drained for that one frame: whatever comes next starts with a seek.
    avcodec_flush_buffers(decoder_.get());
    forgetDecoded();
    if (!have)
        return {};
    PreviewFrame preview = toPreview(frame.get(), box, false);
    preview.exact = shows(preview, position);
    return preview;
}

qint64 PreviewDecoder::keyframeDistance(qint64 position) const {
    if (!isOpen())
        return -1;
    const int64_t target = toStream(position);
    const int64_t before = indexedKeyframe(target, false);
    const int64_t after = indexedKeyframe(target, true);
    int64_t distance = -1;
    if (before != AV_NOPTS_VALUE)
        distance = target - before;
    if (after != AV_NOPTS_VALUE && (distance < 0 || after - target < distance))
        distance = after - target;
    return distance < 0 ? -1 : av_rescale_q(distance, stream_->time_base, kHundredNs);
}

bool PreviewDecoder::canResume(int64_t target) const {
    if (!resumable_ || !current_)
        return false;
    const int64_t pts = current_->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE || pts > target)
        return false;
    const int64_t key = indexedKeyframe(target, false);
    if (key != AV_NOPTS_VALUE)
        return key <= pts; // no keyframe between: going on costs less than seeking
    return frameLength_ > 0 && target - pts <= kResumeWithoutIndex * frameLength_;
}

int PreviewDecoder::framesToReach(qint64 position) const {
    if (!isOpen() || frameLength_ <= 0)
        return -1;
    const int64_t target = toStream(position);
    int64_t from = AV_NOPTS_VALUE;
    if (canResume(target))
        from = current_->best_effort_timestamp;
    else
        from = indexedKeyframe(target, false);
    if (from == AV_NOPTS_VALUE)
        return -1;
    const int64_t frames = (target - from) / frameLength_ + 1;
    return int(std::clamp<int64_t>(frames, 0, std::numeric_limits<int>::max()));
}

PreviewFrame PreviewDecoder::frameAt(qint64 position, QSize box, int maxFrames,
                                     const std::function<bool()>& stop) {
    if (!isOpen())
        return {};
    input_.setBudget(FrameGrabber::decodeBudget);
    const int64_t target = toStream(position);
    if (!canResume(target)) {
        const int64_t key = indexedKeyframe(target, false);
        if (!seekTo(key != AV_NOPTS_VALUE ? key : target))
            return {};
        resumable_ = true;
    }
    for (int decoded = 0;;) {
        if (!lookahead_) {
            if (decoded >= maxFrames || (stop && stop()))
                return {}; // what was decoded stays: a later call may go on from it
            ff::FramePtr next(av_frame_alloc());
            if (!next || !nextFrame(next.get()))
                break; // the end: the last frame is the one shown
            ++decoded;
            lookahead_ = std::move(next);
        }
        const int64_t pts = lookahead_->best_effort_timestamp;
        const bool late = pts != AV_NOPTS_VALUE && pts > target;
        if (late && current_)
            break;
        // A video that starts after the time asked for shows its first frame there.
        current_ = std::move(lookahead_);
        if (late)
            break;
    }
    if (!current_)
        return {};
    return toPreview(current_.get(), box, true);
}

} // namespace tavimo::media
