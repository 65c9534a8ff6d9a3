#pragma once

#include "ui/WindowNames.h"

#include <QKeySequence>
#include <QString>

class QAction;
class QMenu;

namespace tavimo {

// Makes the book window's menu bar, its two popup menus (on an album, on the empty grid) and the
// album commands they list: captions, order, separators, check marks and shortcuts, into the
// window's members. What the items do is connected by the window and the objects that own the
// commands.
class BookMenuBuilder {
public:
    explicit BookMenuBuilder(BookWindow& window) : window_(window) {}

    void build();

private:
    void buildFileMenu();
    void buildModeMenu();
    void buildAlbumCommands();
    void buildAlbumMenus();
    void buildFavouritesMenu();
    void buildOptionsMenu();
    void buildToolsAndHelp();
    QAction* command(const QString& text, const QKeySequence& key = {});
    QAction* entry(QMenu* menu, const QString& text, QAction* target);
    QAction* checkItem(QMenu* menu, const QString& text, bool checked);

    BookWindow& window_;
};

} // namespace tavimo
