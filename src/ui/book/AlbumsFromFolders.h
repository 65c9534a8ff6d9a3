#pragma once

#include "core/AlbumSources.h"
#include "core/WorkerThread.h"
#include "ui/book/BookWindow.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QStringList>
#include <functional>
#include <optional>

namespace tavimo {

struct AppState;
class AlbumCommands;
class AlbumImportCommand;
class AlbumOpener;
class DrivePanel;
class LibrarySession;

// Albums made from the file system in the book window: from a folder (menu or dropped
// folders), from a removable medium (into the current book or into a new one), imported from
// another book's album files, and the album popup's folder-sync switch. The folders and the
// medium are listed on a worker thread (with a progress bar and a cancel button when that
// takes a moment); then each new album is opened in the album window and filled through its
// normal adding of files, so thumbnails are made on the worker pool while the window stays
// live; several albums are made one after the other, the album window closing after each.
class AlbumsFromFolders final : public QObject {
    Q_OBJECT
public:
    // The session and the windows the albums are made in, with the commands that open an
    // album and fill it.
    struct Context {
        LibrarySession& session;
        AppState& state;
        BookWindow& bookWindow;
        AlbumWindow& albumWindow;
        AlbumOpener& opener;
        AlbumCommands& albumCommands;
    };
    explicit AlbumsFromFolders(const Context& context);

    // "フォルダー内の動画からアルバムを作成": a folder dialog starting at the video folder.
    void chooseFolder();
    // One album per folder, in order. closeEach: the album window closes after each album
    // (several dropped folders); otherwise it stays on the last one.
    void createFromFolders(const QStringList& folders, bool closeEach);
    // Albums from the medium mounted at root: one album of all its videos (album mode) or one
    // album per folder and one of the root's videos (making a book).
    void createFromMedium(const QString& root, bool perFolder);
    // "アルバムのインポート": album files chosen in a dialog join the book.
    void importAlbums();
    // "フォルダーに同期": the current album's sync mark is switched.
    void toggleFolderSync(bool on);
    // The medium commands: "メディアからアルバムを作成" and "メディアからブックを新規作成" show the
    // drive panel; OK runs them.
    void askForMedium(bool newBook);
    void mediumChosen(const QString& root);

    // What makes the new book of "メディアからブックを新規作成" (the File menu's new-book
    // command): true when the new book is open, false when its title was cancelled.
    void setNewBookCommand(std::function<bool()> command) { newBook_ = std::move(command); }

    bool isBusy() const;
    DrivePanel* drivePanel() const { return panel_; }
    AlbumImportCommand& importCommand() const { return *import_; }
    // While folders or a medium are listed, for tests: the progress dialog (shown or not yet).
    QProgressDialog* scanProgress() const { return scanProgress_; }

Q_SIGNALS:
    // Every album asked for is made.
    void finished();

private:
    // Lists what albums to make; runs on the worker thread with copies of what it reads.
    using Scan = std::function<QList<AlbumSource>(const std::atomic_bool& stop)>;
    void request(Scan scan);
    void startScan();
    void scanned(const QList<AlbumSource>& sources);
    void runNext();
    void filesIn();

    LibrarySession& session_;
    AppState& state_;
    BookWindow& bookWindow_;
    AlbumWindow& albumWindow_;
    AlbumOpener& opener_;
    AlbumCommands& albumCommands_;
    DrivePanel* panel_ = nullptr;
    std::function<bool()> newBook_;
    bool panelForNewBook_ = false;
    AlbumImportCommand* import_ = nullptr;
    QList<Scan> scans_; // asked for, not listed yet
    QList<AlbumSource> jobs_;
    AlbumSource current_;
    int currentIndex_ = -1;
    bool active_ = false;
    bool waiting_ = false; // the album window is adding the current album's files
    QStringList unfit_;    // files of the listed albums that cannot become entries
    QPointer<QProgressDialog> scanProgress_;
    // The book's albums stay as they are until the albums listed are made.
    std::optional<BookWindow::BusyScope> listing_;
    // Last: destroyed first, it stops and joins a listing still running.
    WorkerThread scanner_;
};

} // namespace tavimo
