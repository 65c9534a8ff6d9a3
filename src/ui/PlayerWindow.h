#pragma once

#include "core/Settings.h"

#include <QMainWindow>

namespace tavimo {

struct AppState;
class DialogService;

// The player window: plays one video of the open album.
class TForm4 : public QMainWindow {
    Q_OBJECT
public:
    TForm4(AppState& state, DialogService& dialogs, QWidget* parent = nullptr);

    // Applies one settings value from the state as start-up reads it.
    void applySetting(SettingKey key);
    // The window's restored (normal) bounds, also while it is maximised or full screen:
    // left/top of the frame, width/height of the window.
    QRect restoredBounds() const;
    // Copies the restored bounds into the state for the settings file.
    void storeGeometry();

protected:
    AppState& state_;
    DialogService& dialogs_;
};

} // namespace tavimo
