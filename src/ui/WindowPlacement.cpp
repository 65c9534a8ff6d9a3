#include "ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tavimo {

int rightEdgeLeft(const QWidget& window, int width) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : 0;
    return screenWidth - width - 4;
}

} // namespace tavimo
