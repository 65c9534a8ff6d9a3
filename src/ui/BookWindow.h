#pragma once

#include "core/BookMenuStates.h"
#include "core/Settings.h"

#include <QColor>
#include <QMainWindow>
#include <functional>
#include <optional>

class QLabel;

namespace tavimo {

struct AppState;
class LibrarySession;
class DialogService;
class ScrollBox;

// The book window: the main window with the album grid of the current book and the whole menu
// bar. Menu entries and actions carry the names the rest of the program connects to; an entry
// whose command is not built yet is present and does nothing.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(LibrarySession& session, AppState& state, DialogService& dialogs,
           QWidget* parent = nullptr);

    // Runs once when the window closes (close button or "終了(&X)"); closing is never refused.
    void setExitSequence(std::function<void()> exitSequence) {
        exitSequence_ = std::move(exitSequence);
    }

    // Applies one settings value from the state as start-up reads it.
    void applySetting(SettingKey key);
    // Top = 0, Left = screen width - width - 4: the window hugs the right edge of the screen.
    void placeAtRightEdge();
    // Copies the window's bounds into the state for the settings file.
    void storeGeometry();

    // Menu states of the current mode: no book open / a book open.
    void applyNoBookState();
    void applyBookOpenState();
    // The mode-dependent items that follow every book load.
    void applyBookLoadedItems();
    // Sets every item that depends on the mode or on an open book.
    void applyMenuStates(const BookMenuStates& states);

    // The album grid, the window's central widget: cell i shows album i of the book.
    ScrollBox* scrollBox = nullptr;
    // Makes an album from a folder dropped on the window (albums from folders). oneOfMany is
    // true when several items were dropped together: the book window stays in front then.
    using FolderAlbumCreator = std::function<void(const QString& folder, bool oneOfMany)>;
    void setFolderAlbumCreator(FolderAlbumCreator creator) {
        folderAlbumCreator_ = std::move(creator);
    }
    // Folders dropped on the window become albums, in the order given; other paths are ignored.
    void dropFolders(const QStringList& paths);
    // "120 * 90" (0) and "80 * 60" (1); choosing the size already set does nothing.
    void chooseCellSize(int mode);
    // "背景色" and "フォント色": the colour dialog, then the grid and the settings value.
    void chooseBackgroundColor();
    void chooseFontColor();
    // With "ウィンドウサイズの自動調整" ticked: the window's height follows the grid.
    void fitHeightToGrid();
    // The status bar's panels 0 and 1.
    QLabel* statusPanel(int i) const { return statusPanels_[i == 0 ? 0 : 1]; }

    // Menus and their items, made by BookMenuBuilder.
    QMenu* fileMenu = nullptr;
    QMenu* modeMenu = nullptr;
    QMenu* albumMenu = nullptr;
    QMenu* favmenu = nullptr;
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
    QAction* new_ = nullptr;     // "ブックの新規作成"
    QAction* N46 = nullptr;      // "メディアからブックを新規作成"
    QAction* saveItem = nullptr; // "上書き保存(&S)"
    QAction* bookListStart = nullptr;
    QAction* bookListEnd = nullptr;
    QAction* FileExit1 = nullptr; // "終了(&X)"
    QAction* execbook = nullptr;  // template of the book entries (not in a menu)

    // Mode menu.
    QAction* i_normal = nullptr;
    QAction* i_media = nullptr;

    // Album commands. Those with menu entries in several menus are triggered by per-menu
    // entries, so each entry can be shown, hidden or disabled on its own.
    QAction* addalbum = nullptr;
    QAction* importalbum = nullptr; // "アルバムのインポート"
    QAction* folderalbum = nullptr; // "フォルダー内の動画からアルバムを作成"
    QAction* mediaalbum = nullptr;  // "メディアからアルバムを作成"
    QAction* delalbum = nullptr;
    QAction* alb_edit = nullptr;
    QAction* alb_play = nullptr;
    QAction* alb_back = nullptr;
    QAction* alb_next = nullptr;
    QAction* alb_first = nullptr; // "一番前へ移動"
    QAction* alb_last = nullptr;  // "一番後ろへ移動"
    QAction* albsort = nullptr;   // "ソート"
    QAction* syncro = nullptr;    // "フォルダーに同期" (album popup, checkable)
    QAction* copyfiles = nullptr; // "アルバムの全ファイルをコピー"
    QAction* chgtitle = nullptr;
    QAction* chgpic = nullptr;
    QAction* copypic = nullptr;
    QAction* FileOpen2 = nullptr;
    QAction* booksave = nullptr;
    QAction* setnext = nullptr;
    QAction* setback = nullptr;
    QAction* seup = nullptr;
    QAction* setdown = nullptr;
    // Entries whose visibility depends on the mode.
    QAction* N23 = nullptr;             // import, album menu
    QAction* N26 = nullptr;             // import, album popup
    QAction* N30 = nullptr;             // import, background popup
    QAction* mediaitem = nullptr;       // from medium, album menu
    QAction* N47 = nullptr;             // from medium, album popup
    QAction* syncroSeparator = nullptr; // the album popup's separator after "フォルダーに同期"

    // Favourites menu: items go after favSeparator.
    QAction* favset = nullptr; // "お気に入りの設定"
    QAction* favSeparator = nullptr;

    // Options menu.
    QAction* bigthum = nullptr;
    QAction* smallthum = nullptr;
    QAction* bgcolor = nullptr;   // "背景色"
    QAction* fontcolor = nullptr; // "フォント色"
    QAction* autosaizeitem = nullptr;
    QAction* syncauto = nullptr;
    QAction* N57 = nullptr;      // "読み込めないファイルは登録しない"
    QAction* plselect = nullptr; // "他のプレイヤーの指定"
    QAction* N33 = nullptr;      // "オリジナルサイズ"
    QAction* dia = nullptr;      // "保存時ダイアログを表示しない"
    QAction* capdir = nullptr;   // "保存フォルダーの設定"
    QAction* N39 = nullptr;      // "動画表示を修正"
    QAction* N56 = nullptr;      // "旧レンダラー"
    QAction* addext = nullptr;   // "対応拡張子の追加"

    // Tools and Help menus.
    QAction* pelkora = nullptr;
    QAction* videoSearch = nullptr; // "動画の検索..." Ctrl+K
    QAction* helpitem = nullptr;

public Q_SLOTS:
    // "対応拡張子の追加".
    void addSupportedExtension();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void connectOptions();
    void buildStatusBar();
    void buildGrid();
    void applyGridSetting(SettingKey key);
    std::optional<QColor> askColor();

    LibrarySession& session_;
    AppState& state_;
    DialogService& dialogs_;
    std::function<void()> exitSequence_;
    bool exited_ = false;
    FolderAlbumCreator folderAlbumCreator_;
    QColor lastChosenColor_; // the colour dialog is shared and starts where it was left
    bool fittingHeight_ = false;
    QLabel* statusPanels_[2] = {};
};

} // namespace tavimo
