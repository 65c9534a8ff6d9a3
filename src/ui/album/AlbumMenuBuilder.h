#pragma once

#include "ui/WindowNames.h"

#include <QKeySequence>
#include <QString>

class QAction;

namespace tavimo {

// Makes the album window's actions, with their captions and keys, and its two popup menus: the
// cell menu (PopMenu, with "お気に入りに追加") and the grid menu (PopupMenu1). What the actions
// do is connected by the window and the command objects; the menus only list them.
class AlbumMenuBuilder {
public:
    explicit AlbumMenuBuilder(AlbumWindow& window) : window_(window) {}

    void buildActions();
    // After buildActions.
    void buildMenus();

private:
    QAction* command(const QString& text, const QKeySequence& key = {});
    QAction* menuCopy(QAction* command);

    AlbumWindow& window_;
};

} // namespace tavimo
