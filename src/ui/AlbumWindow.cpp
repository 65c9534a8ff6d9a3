#include "ui/AlbumWindow.h"

#include "core/AppState.h"
#include "ui/WindowFont.h"
#include "ui/WindowPlacement.h"

namespace tavimo {

TForm2::TForm2(AppState& state, DialogService& dialogs, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Tavimo"));
    setFont(windowFont(12));
    setAcceptDrops(true);
    setCentralWidget(new QWidget(this));
    resize(state_.albumWindow.width, state_.albumWindow.height);
    placeAtRightEdge();
}

void TForm2::applySetting(SettingKey key) {
    switch (key) {
    case SettingKey::Form2Width:
    case SettingKey::Form2Height:
        resize(state_.albumWindow.width, state_.albumWindow.height);
        placeAtRightEdge();
        break;
    default:
        break; // toolbar, colours and size mode are applied by the album grid
    }
}

void TForm2::placeAtRightEdge() {
    move(rightEdgeLeft(*this, state_.albumWindow.width), y());
}

void TForm2::storeGeometry() {
    state_.albumWindow.width = width();
    state_.albumWindow.height = height();
}

} // namespace tavimo
