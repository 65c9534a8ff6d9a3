#include "ui/PlayerWindow.h"

#include "core/AppState.h"
#include "ui/WindowFont.h"

namespace tavimo {

TForm4::TForm4(AppState& state, DialogService& dialogs, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral(" MoviePlayer  "));
    setFont(windowFont(12));
    setCentralWidget(new QWidget(this));
    resize(state_.player.width, state_.player.height);
    move(0, 0);
}

void TForm4::applySetting(SettingKey key) {
    switch (key) {
    case SettingKey::Form4Width:
    case SettingKey::Form4Height:
        resize(state_.player.width, state_.player.height);
        break;
    case SettingKey::Form4Left:
    case SettingKey::Form4Top:
        move(state_.player.left, state_.player.top);
        break;
    default:
        break; // volume, aspect and bookmark play are applied by the player
    }
}

QRect TForm4::restoredBounds() const {
    // Qt's geometries exclude the frame, while positions are given to move() as the frame's.
    const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
    QRect bounds = geometry();
    if ((isMaximized() || isFullScreen()) && normalGeometry().isValid())
        bounds = normalGeometry();
    bounds.moveTopLeft(bounds.topLeft() - frameOffset);
    return bounds;
}

void TForm4::storeGeometry() {
    const QRect bounds = restoredBounds();
    state_.player.left = bounds.x();
    state_.player.top = bounds.y();
    state_.player.width = bounds.width();
    state_.player.height = bounds.height();
}

} // namespace tavimo
