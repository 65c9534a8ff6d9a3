#pragma once

#include <QImage>
#include <QSize>

namespace tavimo::resampling {

// No picture is resampled to more pixels than an 8K frame holds (a displayed picture on the
// largest screens), so a wrong size can never ask for gigabytes.
inline constexpr qint64 kMaxPixels = 7680LL * 4320;

// True for the 24-bit layouts the resamplers work on (three bytes a pixel, in either order).
bool is24Bit(const QImage& image);

// Area averaging of any picture to `target`: every target pixel is the weighted mean of the
// source pixels its span covers. The span of target column x runs from x * W / w to
// (x + 1) * W / w - 0.000001; whole columns weigh 1, partly covered ones what they cover; the
// sums are taken in double precision and scaled by 1 / (W / w * H / h) held in single
// precision, so a 2 x 2 block weighs its second row and column by 0.999999. Channels round
// to the nearest level, halves to even. Returns a 24-bit picture (Format_RGB888), or a null
// one for a null source or a target that is empty or above kMaxPixels.
QImage areaAverage(const QImage& source, QSize target);

// Lanczos-3 in place: six taps per axis at distances f + 2 ... 3 - f from the target
// position p = x * W / w (single precision, f the fraction of p), weighed by
// sinc(d) * sinc(d / 3) and normalised; a tap outside the picture is replaced by the column
// (row) of p itself, keeping its weight. Sums in single precision, rounded halves to even and
// clamped. False, leaving the picture as it is, unless it is 24-bit and the target lies within
// 1..kMaxPixels; a picture already of the target size is left as it is (true).
bool lanczos3(QImage& image, QSize target);

} // namespace tavimo::resampling
