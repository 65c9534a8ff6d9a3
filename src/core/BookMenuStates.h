#pragma once

#include "core/BookMode.h"

namespace tavimo {

// Whether a menu item is shown and whether it can be chosen.
struct ItemState {
    bool visible = true;
    bool enabled = true;

    bool operator==(const ItemState&) const = default;
};

// The book window's menu items that depend on the mode and on whether a book is open, in one
// table. The window applies it whenever either changes, and with no book while long work runs
// on the book or the album window has an album open.
struct BookMenuStates {
    // Every item of the Album menu and of the album popup, the actions that work on albums
    // (delete, move, open, play, rename, pictures, selection keys, book save) and "上書き保存".
    bool albumCommands = false;
    ItemState favourites;       // "お気に入り(&B)"
    ItemState importAlbumMenu;  // "アルバムのインポート", Album menu
    ItemState importAlbumPopup; // the same, album popup
    ItemState importBackground; // the same, background popup
    ItemState mediaAlbumMenu;   // "メディアからアルバムを作成", Album menu
    ItemState mediaAlbumPopup;  // the same, album popup
    ItemState mediaBook;        // "メディアからブックを新規作成", File menu
    ItemState folderSync; // "フォルダーに同期" and the separator after it, album popup

    bool operator==(const BookMenuStates&) const = default;
};

// Visibility follows the mode whether a book is open or not, so an item of the other mode never
// lingers after a switch that finds no book; "メディアからブックを新規作成" stays usable in media
// mode without a book, the only way to make a first media book from a medium.
BookMenuStates bookMenuStates(BookMode mode, bool bookOpen);

} // namespace tavimo
