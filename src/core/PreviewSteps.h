#pragma once

#include <QRect>

namespace tavimo::preview {

// A cell's picture previews its video in ten steps: the pointer's place across the picture
// chooses the step, step s shows the video s tenths of the way in.
inline constexpr int kSteps = 10;

// The step for the pointer at `x` in a picture `width` pixels wide (x from its left edge):
// 0 on the first tenth of the width, 9 on the last; places outside count as the nearest edge.
int stepAt(int x, int width);

// Where step s lies in a video of `duration` (any unit): s tenths of it. Steps outside 0..9
// count as the nearest of them.
qint64 stepPosition(int step, qint64 duration);

// The thin bar along the bottom of `picture` that shows where step s lies: the step's tenth of
// the width, `thickness` pixels high. Empty for an empty picture.
QRect stepBar(const QRect& picture, int step, int thickness = 3);

} // namespace tavimo::preview
