#pragma once

#include "core/Settings.h"

#include <QMainWindow>

namespace tavimo {

struct AppState;
class DialogService;

// The album window: the grid of video cells of the open album.
class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    TForm2(AppState& state, DialogService& dialogs, QWidget* parent = nullptr);

    // Applies one settings value from the state as start-up reads it.
    void applySetting(SettingKey key);
    // Left = screen width - width - 4; the top stays where it is.
    void placeAtRightEdge();
    // Copies the window's size into the state for the settings file.
    void storeGeometry();

protected:
    AppState& state_;
    DialogService& dialogs_;
};

} // namespace tavimo
