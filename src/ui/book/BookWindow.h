#pragma once

#include "core/BookMenuStates.h"
#include "core/BookMode.h"
#include "core/Settings.h"
#include "ui/WindowNames.h"
#include "ui/book/BookMenuBuilder.h"

#include <QColor>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class QLabel;

namespace tavimo {

struct AppState;
class AlbumCopyCommand;
class AlbumOpener;
class AlbumsFromFolders;
class BookAlbumCommands;
class BookListMenu;
class BookFileCommands;
class BookToolCommands;
class DialogService;
class FavouritesMenu;
class LibrarySession;
class ModeSwitcher;
class ScrollBox;
class SearchCommand;

// The book window: the main window with the album grid of the current book and the whole menu
// bar. Its menus and actions are made by BookMenuBuilder; what each item does is wired in one
// table (wire()). An item whose command is not built yet is present and does nothing.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(LibrarySession& session, AppState& state, DialogService& dialogs,
           QWidget* parent = nullptr);

    // The objects that carry out the book window's commands. An item whose object is missing
    // does nothing, so a test wires only what it drives.
    struct Commands {
        BookFileCommands* files = nullptr;
        BookListMenu* bookList = nullptr;
        FavouritesMenu* favourites = nullptr;
        ModeSwitcher* modes = nullptr;
        AlbumOpener* opener = nullptr;
        BookAlbumCommands* albums = nullptr;
        AlbumsFromFolders* fromFolders = nullptr;
        AlbumCopyCommand* copy = nullptr;
        BookToolCommands* tools = nullptr;
        SearchCommand* search = nullptr;
        PlayerWindow* player = nullptr; // follows the renderer options
    };
    // Connects every menu item, key and option to what it does: the window's own commands and
    // those of the given objects. Called once, when they are all made.
    void wire(const Commands& commands);
    const BookActions& actions() const { return actions_; }

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

    // "開く" on the grid's current album, as a click on it does; nothing while it is disabled.
    void openCurrentAlbum();

    // The grid's current album, -1 for none.
    int currentAlbum() const;
    // Makes album `index` current: the grid is laid out for the book's albums, the album's cell
    // scrolled into view and given the keyboard focus. An index outside the book leaves none
    // current.
    void selectAlbum(int index);

    // Keeps the album commands off while long work runs on the book (a copy, an import, listing
    // folders, a sort, a drop) or while the album window has one of its albums open. Scopes
    // nest: when the last one ends, the commands are as the mode and the open book say.
    class BusyScope {
    public:
        explicit BusyScope(TForm1& window);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        TForm1& window_;
        // The window's count: commands that hold a scope are the window's children and may
        // outlive it by a moment when it is destroyed; then there is nothing to update.
        std::weak_ptr<int> count_;
    };

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

public Q_SLOTS:
    // "対応拡張子の追加".
    void addSupportedExtension();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void buildStatusBar();
    void buildGrid();
    // Every item that depends on the mode, on an open book and on long work running, the Mode
    // menu's tick and the grid's hint while it has no album (create a book first, or add an
    // album). Runs whenever any of them changes.
    void updateCommandStates();
    void applyMenuStates(const BookMenuStates& states);
    void applyGridSetting(SettingKey key);
    std::optional<QColor> askColor();
    void chooseOldRenderer(bool on);

    LibrarySession& session_;
    AppState& state_;
    DialogService& dialogs_;
    BookActions actions_;
    std::function<void()> exitSequence_;
    bool exited_ = false;
    FolderAlbumCreator folderAlbumCreator_;
    QColor lastChosenColor_; // the colour dialog is shared and starts where it was left
    bool fittingHeight_ = false;
    QLabel* statusPanels_[2] = {};
    // The album grid, the window's central widget: cell i shows album i of the book.
    ScrollBox* grid_ = nullptr;
    // How many BusyScopes are open. Last, so that it goes first when the window is destroyed.
    std::shared_ptr<int> busyCount_ = std::make_shared<int>(0);
};

} // namespace tavimo
