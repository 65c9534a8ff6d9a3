#pragma once

#include "core/Settings.h"
#include "ui/WindowNames.h"

#include <QObject>

class QAction;
class QMenu;

namespace tavimo {

struct AppState;
class CellPreview;
class SeekPreview;

// Previews of videos wired into the windows: hover previews on the album window's cells, which
// "オプション → マウスで動画をプレビュー" switches (kept in the settings file, on by default),
// and the picture above the player's seek bar for the video it plays. Strips are kept in the
// user's cache folder, never in the library.
class Previews : public QObject {
    Q_OBJECT
public:
    // `options` is the menu that gets the option's item, at its end.
    Previews(AppState& state, QMenu& options, AlbumWindow& album, PlayerWindow& player);

    QAction* option() const { return option_; }
    CellPreview& cells() { return *cells_; }
    SeekPreview& seekBar() { return *seekBar_; }

    // Applies one settings value from the state as start-up reads it.
    void applySetting(SettingKey key);

private:
    AppState& state_;
    QAction* option_ = nullptr;
    CellPreview* cells_ = nullptr;   // owned by the album window
    SeekPreview* seekBar_ = nullptr; // owned by the player window
};

} // namespace tavimo
