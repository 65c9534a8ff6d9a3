#pragma once

#include <QList>

class QAction;
class QMenu;
class QWidget;

namespace tavimo {

// The player window's commands and its popup menu. Every command is an action of the window, so
// its key works while the window is active, menu open or not. What each does is wired in one
// table, PlayerWindow::wireActions.
struct PlayerActions {
    QMenu* menu = nullptr;                 // "PopupMenu1"
    QAction* continuous = nullptr;         // "連続再生" A
    QAction* play = nullptr;               // "再生" P
    QAction* pause = nullptr;              // "一時停止" Z
    QAction* rewind = nullptr;             // "巻き戻し" R
    QAction* previous = nullptr;           // "前へ" B
    QAction* next = nullptr;               // "次へ" N
    QAction* back1 = nullptr;              // "1分前へ" Left
    QAction* back10 = nullptr;             // "10分前へ" Ctrl+Left
    QAction* forward1 = nullptr;           // "1分後へ" Right
    QAction* forward10 = nullptr;          // "10分後へ" Ctrl+Right
    QMenu* audio = nullptr;                // "Audio", shown for two audio streams
    QAction* audioMenu = nullptr;          // its item in the menu
    QAction* audio1 = nullptr;             // "Audio1"
    QAction* audio2 = nullptr;             // "Audio2"
    QAction* bookmarkAndPicture = nullptr; // "ブックマークとサムネイルを設定" F3
    QAction* setBookmark = nullptr;        // "ブックマークを設定" F1
    QAction* goToBookmark = nullptr;       // "ブックマークに移動" F2
    QAction* fromBookmark = nullptr;       // "常にブックマークから再生" (check)
    QAction* copy = nullptr;               // "コピー" Ctrl+C
    QAction* savePicture = nullptr;        // "画像を保存" Ctrl+S
    QAction* setThumbnail = nullptr;       // "この画像をサムネイルに設定" Ctrl+T
    QAction* fullScreen = nullptr;         // "フルスクリーン" F
    QAction* windowed = nullptr;           // "ウィンドウ表示" Esc
    QMenu* aspect = nullptr;               // "アスペクト比", one checked item
    QMenu* crop = nullptr;                 // "上下をカット", one checked item
    QMenu* speed = nullptr;                // "再生速度"
    QList<QAction*> aspectItems, cropItems, speedItems;
    QAction* close = nullptr; // "閉じる" Alt+X
    // Keys without a menu item.
    QAction* stop = nullptr; // S
    QAction* mute = nullptr; // M
};

// Makes the player's actions on `window` and the popup menu that holds them.
PlayerActions buildPlayerMenu(QWidget& window);

} // namespace tavimo
