#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;

namespace tavimo {

// The book window's menus and actions. An action's component name, where it has one, follows
// its caption. What each does is wired in one table (BookWindow::wire, BookWindowWiring.cpp).
struct BookActions {
    // Menu bar.
    QMenu* fileMenu = nullptr;
    QMenu* modeMenu = nullptr;
    QMenu* albumMenu = nullptr;
    QMenu* favouritesMenu = nullptr; // favmenu
    QMenu* optionsMenu = nullptr;
    QMenu* toolsMenu = nullptr;
    QMenu* helpMenu = nullptr;
    QMenu* thumbSizeMenu = nullptr;
    QMenu* captureMenu = nullptr;
    QMenu* versionMenu = nullptr;
    // Popup menus of an album cell and of the empty grid area.
    QMenu* albumPopup = nullptr;
    QMenu* backgroundPopup = nullptr;

    // File menu. Book entries go between bookListStart and bookListEnd (both separators).
    QAction* newBook = nullptr;        // new "ブックの新規作成"
    QAction* bookFromMedium = nullptr; // N46 "メディアからブックを新規作成"
    QAction* save = nullptr;           // "上書き保存(&S)"
    QAction* bookListStart = nullptr;
    QAction* bookListEnd = nullptr;
    QAction* exit = nullptr;              // FileExit1 "終了(&X)"
    QAction* bookEntryTemplate = nullptr; // execbook (not in a menu)

    // Mode menu.
    QAction* normalMode = nullptr; // i_normal "ノーマルモード"
    QAction* mediaMode = nullptr;  // i_media "メディアモード"

    // Album commands. Those with entries in several menus are triggered by per-menu entries,
    // so that each entry can be shown, hidden or disabled on its own.
    QAction* addAlbum = nullptr;    // addalbum "アルバムを追加"
    QAction* importAlbum = nullptr; // importalbum "アルバムのインポート"
    QAction* albumFromFolder = nullptr; // folderalbum "フォルダー内の動画からアルバムを作成"
    QAction* albumFromMedium = nullptr; // mediaalbum "メディアからアルバムを作成"
    QAction* deleteAlbum = nullptr;     // delalbum "アルバムを削除"
    QAction* openAlbum = nullptr;       // alb_edit "開く" Ctrl+E
    QAction* playAlbum = nullptr;       // alb_play "再生" Ctrl+P
    QAction* moveBack = nullptr;        // alb_back "前へ移動" Ctrl+B
    QAction* moveForward = nullptr;     // alb_next "後へ移動" Ctrl+N
    QAction* moveToFront = nullptr;     // alb_first "一番前へ移動"
    QAction* moveToEnd = nullptr;       // alb_last "一番後ろへ移動"
    QAction* sortAlbums = nullptr;      // albsort "ソート"
    QAction* folderSync = nullptr;  // syncro "フォルダーに同期" (album popup, checkable)
    QAction* copyFiles = nullptr;   // copyfiles "アルバムの全ファイルをコピー"
    QAction* renameAlbum = nullptr; // chgtitle "タイトルの変更"
    QAction* pictureFromFile = nullptr;      // chgpic "画像の変更　ファイルから"
    QAction* pictureFromClipboard = nullptr; // copypic "画像の変更　クリップボードから"
    QAction* FileOpen2 = nullptr;            // no caption and no command of its own
    QAction* saveBook = nullptr;             // booksave (no caption)
    QAction* selectNext = nullptr;           // setnext Right
    QAction* selectPrevious = nullptr;       // setback Left
    QAction* selectUp = nullptr;             // seup Up
    QAction* selectDown = nullptr;           // setdown Down
    // Entries whose visibility depends on the mode.
    QAction* importInAlbumMenu = nullptr;   // N23
    QAction* importInAlbumPopup = nullptr;  // N26
    QAction* importInBackground = nullptr;  // N30
    QAction* mediumInAlbumMenu = nullptr;   // mediaitem
    QAction* mediumInAlbumPopup = nullptr;  // N47
    QAction* folderSyncSeparator = nullptr; // the album popup's separator after folderSync

    // Favourites menu: items go after favouritesSeparator.
    QAction* chooseFavourite = nullptr; // favset "お気に入りの設定"
    QAction* favouritesSeparator = nullptr;

    // Options menu.
    QAction* largeCells = nullptr;       // bigthum "120 * 90"
    QAction* smallCells = nullptr;       // smallthum "80 * 60"
    QAction* backgroundColor = nullptr;  // bgcolor "背景色"
    QAction* fontColor = nullptr;        // fontcolor "フォント色"
    QAction* autoHeight = nullptr;       // autosaizeitem
    QAction* syncFolderAlbums = nullptr; // syncauto
    QAction* skipUnreadable = nullptr;   // N57 "読み込めないファイルは登録しない"
    QAction* otherPlayer = nullptr;      // plselect "他のプレイヤーの指定"
    QAction* captureOriginalSize = nullptr; // N33 "オリジナルサイズ"
    QAction* captureSilent = nullptr;       // dia "保存時ダイアログを表示しない"
    QAction* captureFolder = nullptr;       // capdir "保存フォルダーの設定"
    QAction* fixVideoDisplay = nullptr;     // N39 "動画表示を修正"
    QAction* oldRenderer = nullptr;         // N56 "旧レンダラー"
    QAction* addExtension = nullptr;        // addext "対応拡張子の追加"

    // Tools and Help menus.
    QAction* siblingTool = nullptr; // pelkora "Pelkora"
    QAction* help = nullptr;        // helpitem "ヘルプの表示"
};

// Makes the book window's menu bar, its two popup menus (on an album, on the empty grid) and the
// album commands they list: captions, order, separators, check marks and shortcuts. What the
// items do is wired by the window.
class BookMenuBuilder {
public:
    static BookActions build(QMainWindow& window);

private:
    explicit BookMenuBuilder(QMainWindow& window) : window_(window) {}

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

    QMainWindow& window_;
    BookActions a_;
};

} // namespace tavimo
