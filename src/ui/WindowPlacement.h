#pragma once

class QWidget;

namespace tavimo {

// The left edge that puts a window of the given width against the right edge of its screen,
// 4 pixels in: screen width - width - 4.
int rightEdgeLeft(const QWidget& window, int width);

} // namespace tavimo
