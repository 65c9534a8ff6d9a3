#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <optional>

namespace tavimo::jpeg {

// Quality of every JPEG the program writes (thumbnails and album pictures).
inline constexpr int kQuality = 90;

// Pictures larger than this many pixels are refused on decoding: a few hundred bytes of JPEG
// header can claim 65535 x 65535 pixels, and the bitmap must not be allocated blindly.
inline constexpr qint64 kMaxPixels = 64LL * 1024 * 1024;

// True when the bytes begin with a JPEG start-of-image marker. Cheap; no decoding.
bool looksLikeJpeg(QByteArrayView bytes);

// Width and height from the JPEG header alone, or nullopt when the header is unreadable.
std::optional<QSize> readSize(QByteArrayView bytes);

// Decodes a JPEG to a 24-bit bitmap (QImage::Format_RGB888). A null image when the bytes are
// not a JPEG, the picture is too large, or decoding fails. Every thread has its own decoder.
QImage decode(QByteArrayView bytes);

// Encodes a bitmap to JPEG (4:2:0 chroma). Empty when the image is null or encoding fails.
QByteArray encode(const QImage& image, int quality = kQuality);

} // namespace tavimo::jpeg
