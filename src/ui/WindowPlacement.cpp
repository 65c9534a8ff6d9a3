#include "ui/WindowPlacement.h"

#include "core/CellGeometry.h"
#include "ui/grid/ScrollBox.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace tavimo {

int rightEdgeLeft(const QWidget& window, int width) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : 0;
    return screenWidth - width - 4;
}

void fitHeightToGrid(QWidget& window, const ScrollBox& grid, int chromeHeight) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (grid.count() == 0 || screen == nullptr)
        return;
    // The bottom of the last cell in the grid's own coordinates, not scrolled.
    const int outer = fittedWindowHeight(grid.contentBottom(), chromeHeight,
                                         screen->availableGeometry().height());
    // resize() takes the height inside the frame.
    const int frame = window.frameGeometry().height() - window.height();
    window.resize(window.width(), std::max(1, outer - frame));
}

} // namespace tavimo
