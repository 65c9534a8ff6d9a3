#pragma once

#include <QImage>

struct AVFrame;
struct SwsContext;

namespace tavimo::media {

// Turns decoded frames into pictures. Keeps its scaler between calls, so one converter per
// thread makes a run of same-sized files cheap.
class FrameConverter {
public:
    FrameConverter() = default;
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;
    ~FrameConverter();

    // The frame scaled to width x height as Format_RGB32 (null image when the frame's pixel
    // format can't be converted, or when width x height exceeds maxPicturePixels), then
    // turned clockwise by `rotation` degrees (0, 90, 180, 270): width and height are the size
    // before turning.
    QImage toImage(const AVFrame* frame, int width, int height, int rotation);

private:
    SwsContext* scaler_ = nullptr;
};

// The most pixels a converted picture may have (37 MB as RGB32).
inline constexpr qint64 maxPicturePixels = 4096LL * 2304;

// The size a frame is shown at: the sample aspect ratio stretches one side (never shrinks
// one, so no detail is lost), then a quarter turn swaps the sides.
QSize displaySize(int width, int height, int sarNum, int sarDen, int rotation);

// The largest size of the proportions of `size` that fits in `box`, fractions dropped (for a
// 120 x 90 box this is the picture's place in a thumbnail); each side at least 1. Empty when
// either is empty.
QSize fitInto(QSize size, QSize box);

// `size` itself, or shrunk with its proportions to hold at most maxPicturePixels.
QSize boundedSize(QSize size);

} // namespace tavimo::media
