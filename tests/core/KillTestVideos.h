#pragma once

// What the kill test's child adds to its album, so the test can tell every row it finds on the
// disk from any other: video k's entry, and a picture of its own.

#include "core/ImageFunc.h"
#include "core/JpegCodec.h"

#include <QColor>
#include <QString>

namespace tavimo::killtest {

inline constexpr int kVideosPerRound = 30;

inline QString entryOf(int k) {
    return QStringLiteral("/videos/%1.mp4").arg(k);
}

inline QByteArray pictureOf(int k) {
    return jpeg::encode(imagefunc::solidBitmap(120, 90, QColor(k % 256, 40, k / 256)));
}

} // namespace tavimo::killtest
