#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;

namespace tavimo {

// The album window's actions and its two popup menus. An action's component name, where it has
// one, follows its caption. What each does is wired in one table (AlbumWindow::wire,
// AlbumWindowWiring.cpp).
struct AlbumActions {
    QAction* continuousPlay = nullptr;       // a_autoplay "連続再生" A
    QAction* play = nullptr;                 // a_play "プレイ" P
    QAction* openFiles = nullptr;            // FileOpen1 "開く" O
    QAction* moveBack = nullptr;             // a_back "前へ移動" B
    QAction* moveForward = nullptr;          // a_next "次へ移動" N
    QAction* deleteVideo = nullptr;          // a_del "削除" Delete
    QAction* selectNext = nullptr;           // setnext2 Right
    QAction* selectPrevious = nullptr;       // setback2 Left
    QAction* selectUp = nullptr;             // setup2 Up
    QAction* selectDown = nullptr;           // setdown2 Down
    QAction* sortByName = nullptr;           // setsort "頭文字順に並び替え" S
    QAction* sortByPlayCount = nullptr;      // setsortfab "再生頻度順に並び替え"
    QAction* pictureFromFile = nullptr;      // chngpic "画像の変更　ファイルから"
    QAction* pictureFromClipboard = nullptr; // clippic "画像を変更　クリップボードから"
    QAction* refreshPicture = nullptr;       // N11 "画像を更新" U
    QAction* setAlbumPicture = nullptr;      // N10 "この画像をアルバム画像に設定" I
    QAction* deleteFile = nullptr; // a_filedel "ファイルごと削除 （ゴミ箱へ）" Ctrl+Delete
    QAction* openFolder = nullptr;  // folderOpen "フォルダーを開く" Ctrl+F
    QAction* close = nullptr;       // closeItem "閉じる" Esc
    QAction* moveToFront = nullptr; // N18 "一番前へ移動"
    QAction* moveToEnd = nullptr;   // N19 "一番後へ移動"
    QAction* otherPlayer = nullptr; // N27 "他のプレイヤーで再生"
    // Menu entries of their own that run a command, so that they can be switched apart from it.
    QAction* openFolderEntry = nullptr; // N14, the grid menu's "フォルダーを開く"
    QAction* deleteFileEntry = nullptr; // delfitem, the cell menu's "ファイルごと削除 （ゴミ箱へ）"
    QAction* moveForwardEntry = nullptr; // the cell menu's "後へ移動"

    QMenu* favourites = nullptr; // fadd "お気に入りに追加", in the cell menu
    QMenu* cellMenu = nullptr;   // PopMenu
    QMenu* gridMenu = nullptr;   // PopupMenu1
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

    QMainWindow& window_;
    AlbumActions a_;
};

} // namespace tavimo
