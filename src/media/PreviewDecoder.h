#pragma once

#include "media/FfmpegInput.h"
#include "media/FrameConverter.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

namespace tavimo::media {

// One picture a preview made.
struct PreviewFrame {
    QImage picture;      // fitted into the box asked for at the display aspect; null: none
    qint64 position = 0; // where the frame is shown, 100 ns from the video's start
    bool exact = false;  // the frame shown at the time asked for, not only a keyframe near it
    QSize displaySize;   // the video's size as shown (aspect and rotation applied)
    qint64 duration = 0; // the video's length, 100 ns; 0 when unknown

    bool isNull() const { return picture.isNull(); }
};

// One video opened for previews, with a demuxer and a single-threaded decoder of its own that
// stay open between pictures, so that looking at many times of one video pays for opening it
// once. Only the one regular file is read (Input). Used by one thread at a time.
class PreviewDecoder {
public:
    PreviewDecoder();
    PreviewDecoder(const PreviewDecoder&) = delete;
    PreviewDecoder& operator=(const PreviewDecoder&) = delete;

    // False (error() says why) when the file has no video stream that can be decoded: then it
    // has no preview.
    bool open(const QString& path);
    bool isOpen() const { return stream_ != nullptr; }
    const QString& path() const { return path_; }
    const QString& error() const { return error_; }
    qint64 duration() const { return duration_; }
    QSize displaySize() const { return displaySize_; }

    // The keyframe nearest `position` (100 ns): from the container's index where it has one,
    // else the keyframe at or before it. One seek and one frame decoded. Null when nothing
    // could be decoded there.
    PreviewFrame keyframeNear(qint64 position, QSize box);

    // The frame shown at `position`: decoded forward from the keyframe at or before it, or on
    // from the frame decoded last when no keyframe lies between. Gives up (a null frame) once
    // `maxFrames` frames are decoded or `stop` answers true (asked before every frame); the
    // next call then goes on from where this one stopped when it can.
    PreviewFrame frameAt(qint64 position, QSize box, int maxFrames,
                         const std::function<bool()>& stop = {});

    // How far the keyframe nearest `position` lies from it, 100 ns, from the container's
    // index; -1 without one.
    qint64 keyframeDistance(qint64 position) const;

    // How many frames frameAt(position) would decode, from the frame rate and the keyframe
    // index; -1 when that is unknown (no index, no frame rate).
    int framesToReach(qint64 position) const;

    // The frame shown at `position` is the one `frame` holds.
    bool shows(const PreviewFrame& frame, qint64 position) const;

private:
    int64_t toStream(qint64 position) const;
    qint64 fromStream(int64_t pts) const;
    // The timestamp of the keyframe at or before `target` (forward: at or after) from the
    // index; AV_NOPTS_VALUE without one.
    int64_t indexedKeyframe(int64_t target, bool forward) const;
    bool seekTo(int64_t timestamp);
    // Going on from the frame decoded last reaches `target` at less cost than seeking.
    bool canResume(int64_t target) const;
    // The next frame in presentation order from the read position; false at the end.
    bool nextFrame(AVFrame* out);
    PreviewFrame toPreview(const AVFrame* frame, QSize box, bool exact);
    void forgetDecoded();

    ff::Input input_;
    ff::CodecPtr decoder_;
    AVStream* stream_ = nullptr;
    int index_ = -1;
    int64_t start_ = 0;       // stream time of the video's start
    int64_t frameLength_ = 0; // stream time of one frame; 0 when the rate is unknown
    qint64 duration_ = 0;
    QSize displaySize_;
    int rotation_ = 0;
    QString path_;
    QString error_;
    FrameConverter converter_;

    // Decoding state that lets frameAt go on without seeking.
    ff::FramePtr current_;   // the last frame at or before the time asked for last
    ff::FramePtr lookahead_; // a frame decoded past it, not shown yet
    bool needKey_ = true;    // after a seek: packets before a keyframe are skipped
    bool draining_ = false;  // the end of the file was sent to the decoder
    bool resumable_ = false; // current_ and the read position belong together
};

} // namespace tavimo::media
