#pragma once

#include <QRect>
#include <QSize>

namespace tavimo::media {

// Where a picture of proportions width : height, with `crop` rows cut at top and bottom, is
// drawn inside a box: as large as fits, centred, computed in whole numbers with the
// proportion held to 1/128 (r = height x 128 / width), so the same numbers always give the
// same rectangle. Proportions with no height left after the crop give (0, 0, 120, 90); a box
// or proportion that would divide by zero gives an empty rectangle.
QRect fitVideoRect(qint64 width, qint64 height, qint64 crop, QSize box);

} // namespace tavimo::media
