#pragma once

class QWidget;

namespace tavimo {

class ScrollBox;

// The left edge that puts a window of the given width against the right edge of its screen,
// 4 pixels in: screen width - width - 4.
int rightEdgeLeft(const QWidget& window, int width);

// The book and album windows' automatic height: the window's outer height becomes that of the
// grid's cells, whole, plus chromeHeight (caption, menu bar or toolbar, status bar and frame),
// but never more than the work area of its screen. Nothing for an empty grid.
void fitHeightToGrid(QWidget& window, const ScrollBox& grid, int chromeHeight);

} // namespace tavimo
