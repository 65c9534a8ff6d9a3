#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;

namespace tavimo {

// The album window's actions and its two popup menus. An action's component name, where it has
// one, is its objectName. What each does is wired in one table (AlbumWindow::wire,
// AlbumWindowWiring.cpp).
struct AlbumActions {
    QAction* continuousPlay = nullptr;       // "連続再生" A
    QAction* play = nullptr;                 // "プレイ" P
    QAction* openFiles = nullptr;            // "開く" O
    QAction* moveBack = nullptr;             // "前へ移動" B
    QAction* moveForward = nullptr;          // "次へ移動" N
    QAction* deleteVideo = nullptr;          // "削除" Delete
    QAction* selectNext = nullptr;           // Right
    QAction* selectPrevious = nullptr;       // Left
    QAction* selectUp = nullptr;             // Up
    QAction* selectDown = nullptr;           // Down
    QAction* sortByName = nullptr;           // "頭文字順に並び替え" S
    QAction* sortByPlayCount = nullptr;      // "再生頻度順に並び替え"
    QAction* pictureFromFile = nullptr;      // "画像の変更　ファイルから"
    QAction* pictureFromClipboard = nullptr; // "画像を変更　クリップボードから"
    QAction* refreshPicture = nullptr;       // "画像を更新" U
    QAction* setAlbumPicture = nullptr;      // "この画像をアルバム画像に設定" I
    QAction* deleteFile = nullptr;  // "ファイルごと削除 （ゴミ箱へ）" Ctrl+Delete
    QAction* openFolder = nullptr;  // "フォルダーを開く" Ctrl+F
    QAction* close = nullptr;       // "閉じる" Esc
    QAction* moveToFront = nullptr; // "一番前へ移動"
    QAction* moveToEnd = nullptr;   // "一番後へ移動"
    QAction* otherPlayer = nullptr; // "他のプレイヤーで再生"
    // Menu entries of their own that run a command, so that they can be switched apart from it.
    QAction* openFolderEntry = nullptr; // the grid menu's "フォルダーを開く"
    QAction* deleteFileEntry = nullptr; // the cell menu's "ファイルごと削除 （ゴミ箱へ）"
    QAction* moveForwardEntry = nullptr; // the cell menu's "後へ移動"

    QMenu* favourites = nullptr; // "お気に入りに追加", in the cell menu
    QMenu* cellMenu = nullptr;
    QMenu* gridMenu = nullptr;
};

// Makes the album window's actions, with their captions and keys, and its two popup menus: the
// cell menu (with "お気に入りに追加") and the grid menu. What the actions do is wired by the
// window; the menus only list them.
class AlbumMenuBuilder {
public:
    static AlbumActions build(QMainWindow& window);

private:
    explicit AlbumMenuBuilder(QMainWindow& window) : window_(window) {}

    void buildActions();
    void buildMenus();
    QAction* command(const QString& text, const QKeySequence& key = {});
    QAction* menuCopy(QAction* command);
    // The earlier version's component names, as the objectNames of what they name.
    void nameComponents();

    QMainWindow& window_;
    AlbumActions a_;
};

} // namespace tavimo
