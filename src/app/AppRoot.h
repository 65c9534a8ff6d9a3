#pragma once

#include "core/AppState.h"
#include "core/Settings.h"
#include "ui/WindowNames.h"

#include <memory>

namespace tavimo {

namespace migration {
class ThumbnailMigrationRun;
} // namespace migration
class AlbumCommands;
class AlbumCopyCommand;
class AlbumsFromFolders;
class ModeSwitcher;
class Previews;
class AlbumOpener;
class BookFileCommands;
class BookListMenu;
class DocumentOpener;
class FavouritesMenu;
class FileTrash;
class LibrarySession;
class ProgramLauncher;
class SearchCommand;
class DialogService;
class VolumeTable;

// The composition root: builds the application state and the windows in their order, runs
// start-up, and owns the exit sequence.
class AppRoot {
public:
    // libraryFolder with or without a trailing '/'. dialogs and volumes outlive the root.
    AppRoot(const QString& libraryFolder, DialogService& dialogs, const VolumeTable& volumes);
    ~AppRoot();
    AppRoot(const AppRoot&) = delete;
    AppRoot& operator=(const AppRoot&) = delete;

    // Reads the settings, decides the mode, loads the current book and shows the book window.
    // When the earlier version's thumbnails still need packing, that runs first on a worker
    // thread and the rest follows from the event loop once it is done.
    void startUp();
    // Saves the book, writes the settings file and userex.inf. Runs when the book window
    // closes; a failed write is shown and the exit goes on.
    void exitSequence();
    // What the exit sequence writes, without ending anything: the desktop's end of session
    // asks for it, and the program may go on afterwards.
    void saveAll();
    // The program was told to stop (SIGTERM, SIGHUP, SIGINT) and no event loop runs any more:
    // the exit sequence, unless it ran already or start-up never finished (then nothing was
    // shown that could have changed, and nothing is written).
    void stopSequence();

    AppState& state() { return state_; }
    LibrarySession& session() { return *session_; }
    BookFileCommands& bookFileCommands() { return *bookFileCommands_; }
    BookListMenu& bookList() { return *bookList_; }
    FavouritesMenu& favourites() { return *favourites_; }
    BookWindow& bookWindow() { return *bookWindow_; }
    AlbumWindow& albumWindow() { return *albumWindow_; }
    AlbumCommands& albumCommands() { return *albumCommands_; }
    AlbumsFromFolders& albumsFromFolders() { return *albumsFromFolders_; }
    ModeSwitcher& modeSwitcher() { return *modeSwitcher_; }
    PlayerWindow& playerWindow() { return *playerWindow_; }
    LoadingWindow& loadingWindow() { return *loadingWindow_; }
    SplashWindow& splashWindow() { return *splashWindow_; }
    SearchCommand& search() { return *search_; }
    Previews& previews() { return *previews_; }

private:
    void fillDriveList(const VolumeTable& volumes);
    void applySetting(SettingKey key);
    void readSettingsFile();
    void decideCurrentBook();
    void showBookWindow();
    void report(const WriteResult& result);

    bool startedUp_ = false; // the book window was shown
    bool exited_ = false;    // the exit sequence ran

    // Members are destroyed from the bottom up: the windows (and the command objects they
    // own, which refer to everything above them) go first, the data last.
    AppState state_;
    DialogService& dialogs_;
    std::unique_ptr<LibrarySession> session_;
    std::unique_ptr<FileTrash> trash_;
    std::unique_ptr<ProgramLauncher> launcher_;
    std::unique_ptr<DocumentOpener> documents_;
    std::unique_ptr<BookWindow> bookWindow_;
    std::unique_ptr<SplashWindow> splashWindow_;
    std::unique_ptr<AlbumWindow> albumWindow_;
    std::unique_ptr<LoadingWindow> loadingWindow_;
    std::unique_ptr<PlayerWindow> playerWindow_;
    BookFileCommands* bookFileCommands_ = nullptr;   // owned by the book window
    BookListMenu* bookList_ = nullptr;               // owned by the book window
    FavouritesMenu* favourites_ = nullptr;           // owned by the book window
    AlbumOpener* opener_ = nullptr;                  // owned by the book window
    AlbumCommands* albumCommands_ = nullptr;         // owned by the album window
    AlbumsFromFolders* albumsFromFolders_ = nullptr; // owned by the book window
    ModeSwitcher* modeSwitcher_ = nullptr;           // owned by the book window
    // Before the windows it opens results in go: its index's worker is joined then.
    std::unique_ptr<SearchCommand> search_;
    // Owned by the album window.
    Previews* previews_ = nullptr;
    // Last: its worker is stopped and joined before the windows it reports to go.
    std::unique_ptr<migration::ThumbnailMigrationRun> migration_;
};

} // namespace tavimo
