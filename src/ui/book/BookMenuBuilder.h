#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;

namespace tavimo {

// The book window's menus and actions. An action's component name, where it has one, is its
// objectName. What each does is wired in one table (BookWindow::wire, BookWindowWiring.cpp).
struct BookActions {
    // Menu bar.
    QMenu* fileMenu = nullptr;
    QMenu* modeMenu = nullptr;
    QMenu* albumMenu = nullptr;
    QMenu* favouritesMenu = nullptr;
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
    QAction* newBook = nullptr;        // "ブックの新規作成"
    QAction* bookFromMedium = nullptr; // "メディアからブックを新規作成"
    QAction* save = nullptr;           // "上書き保存(&S)"
    QAction* bookListStart = nullptr;
    QAction* bookListEnd = nullptr;
    QAction* exit = nullptr;              // "終了(&X)"
    QAction* bookEntryTemplate = nullptr; // the pattern of the book entries, in no menu

    // Mode menu.
    QAction* normalMode = nullptr; // "ノーマルモード"
    QAction* mediaMode = nullptr;  // "メディアモード"

    // Album commands. Those with entries in several menus are triggered by per-menu entries,
    // so that each entry can be shown, hidden or disabled on its own.
    QAction* addAlbum = nullptr;        // "アルバムを追加"
    QAction* importAlbum = nullptr;     // "アルバムのインポート"
    QAction* albumFromFolder = nullptr; // "フォルダー内の動画からアルバムを作成"
    QAction* albumFromMedium = nullptr; // "メディアからアルバムを作成"
    QAction* deleteAlbum = nullptr;     // "アルバムを削除"
    QAction* openAlbum = nullptr;       // "開く" Ctrl+E
    QAction* playAlbum = nullptr;       // "再生" Ctrl+P
    QAction* moveBack = nullptr;        // "前へ移動" Ctrl+B
    QAction* moveForward = nullptr;     // "後へ移動" Ctrl+N
    QAction* moveToFront = nullptr;     // "一番前へ移動"
    QAction* moveToEnd = nullptr;       // "一番後ろへ移動"
    QAction* sortAlbums = nullptr;      // "ソート"
    QAction* folderSync = nullptr;      // "フォルダーに同期" (album popup, checkable)
    QAction* copyFiles = nullptr;       // "アルバムの全ファイルをコピー"
    QAction* renameAlbum = nullptr;     // "タイトルの変更"
    QAction* pictureFromFile = nullptr; // "画像の変更　ファイルから"
    QAction* pictureFromClipboard = nullptr; // "画像の変更　クリップボードから"
    QAction* openPlaceholder = nullptr; // the earlier version's open item: no caption, no command
    QAction* saveBook = nullptr;        // no caption
    QAction* selectNext = nullptr;      // Right
    QAction* selectPrevious = nullptr;  // Left
    QAction* selectUp = nullptr;        // Up
    QAction* selectDown = nullptr;      // Down
    // Entries whose visibility depends on the mode.
    QAction* importInAlbumMenu = nullptr;
    QAction* importInAlbumPopup = nullptr;
    QAction* importInBackground = nullptr;
    QAction* mediumInAlbumMenu = nullptr;
    QAction* mediumInAlbumPopup = nullptr;
    QAction* folderSyncSeparator = nullptr; // the album popup's separator after folderSync

    // Favourites menu: items go after favouritesSeparator.
    QAction* chooseFavourite = nullptr; // "お気に入りの設定"
    QAction* favouritesSeparator = nullptr;

    // Options menu.
    QAction* largeCells = nullptr;      // "120 * 90"
    QAction* smallCells = nullptr;      // "80 * 60"
    QAction* backgroundColor = nullptr; // "背景色"
    QAction* fontColor = nullptr;       // "フォント色"
    QAction* autoHeight = nullptr;
    QAction* syncFolderAlbums = nullptr;
    QAction* skipUnreadable = nullptr;      // "読み込めないファイルは登録しない"
    QAction* otherPlayer = nullptr;         // "他のプレイヤーの指定"
    QAction* captureOriginalSize = nullptr; // "オリジナルサイズ"
    QAction* captureSilent = nullptr;       // "保存時ダイアログを表示しない"
    QAction* captureFolder = nullptr;       // "保存フォルダーの設定"
    QAction* fixVideoDisplay = nullptr;     // "動画表示を修正"
    QAction* oldRenderer = nullptr;         // "旧レンダラー"
    QAction* addExtension = nullptr;        // "対応拡張子の追加"

    // Tools and Help menus.
    QAction* siblingTool = nullptr; // "Pelkora"
    QAction* videoSearch = nullptr; // "動画の検索..." Ctrl+K
    QAction* help = nullptr;        // "ヘルプの表示"
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
    void addOrderEntries(QMenu* menu, const QString& toEndCaption);
    void buildFavouritesMenu();
    void buildOptionsMenu();
    void buildToolsAndHelp();
    QAction* command(const QString& text, const QKeySequence& key = {});
    QAction* entry(QMenu* menu, const QString& text, QAction* target);
    QAction* checkItem(QMenu* menu, const QString& text, bool checked);
    // The earlier version's component names, as the objectNames of what they name.
    void nameComponents();

    QMainWindow& window_;
    BookActions a_;
};

} // namespace tavimo
