#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

namespace tavimo::imagefunc {

// Every album and video picture is this size, 24 bits per pixel.
inline constexpr int kThumbWidth = 120;
inline constexpr int kThumbHeight = 90;

// Rectangles here follow the library's edge convention: the picture covers x from left up to,
// but not including, right. QRect(left, top, right - left, bottom - top) expresses that.

// A 24-bit (Format_RGB888) bitmap of width x height filled with one colour.
QImage solidBitmap(int width, int height, const QColor& color);

// The picture of an album or video that has none: black 120 x 90 with the bottom-left pixel in
// the button-face colour (the colour the picture button treats as transparent).
QImage placeholderPicture();

// Where a w x h picture goes inside the 120 x 90 thumbnail, aspect kept (integer arithmetic,
// fractions dropped). 0 for either side gives the whole area.
QRect thumbnailRect(int w, int h);

// Makes a 120 x 90 thumbnail of any picture: black bands, the picture smoothly stretched into
// thumbnailRect, and the bottom-left pixel in the button-face colour. A null picture leaves
// out unchanged and returns false.
bool fitThumbnail(const QImage& picture, QImage& out);

// The largest rectangle of the w x h aspect centred in area (fixed point, 128 = one).
// 0 for either side gives the 120 x 90 whole area; an area without width or height, or one
// reversed, is returned unchanged instead of dividing by zero.
QRect fitRect(const QRect& area, int w, int h);

// 0 for negatives and NaN, 255 above 255, otherwise the nearest integer with halves to even.
int clampToByte(double value);

// sin(pi x) / (pi x), computed in single precision; 1 at 0.
float sinc(float x);

// "007", "042", "123" / "05", "10": the numbered parts of capture file names.
QString threeDigits(int n);
QString twoDigits(int n);

} // namespace tavimo::imagefunc
