#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>

namespace tavimo {

struct AppState;
class AlbumCommands;
class AlbumOpener;
class BookSession;
class DrivePanel;
class LibrarySession;
class TForm1;
class TForm2;

// Albums made from the file system in the book window: from a folder (menu or dropped
// folders), from a removable medium (into the current book or into a new one), imported from
// another book's album files, and the album popup's folder-sync switch. Each new album is
// opened in the album window and filled through its normal adding of files, so thumbnails are
// made on the worker pool while the window stays live; several albums are made one after the
// other, the album window closing after each.
class AlbumsFromFolders final : public QObject {
    Q_OBJECT
public:
    AlbumsFromFolders(LibrarySession& session, AppState& state, TForm1& bookWindow,
                      TForm2& albumWindow, AlbumOpener& opener, AlbumCommands& albumCommands,
                      BookSession& bookSession);

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

    bool isBusy() const { return active_; }
    DrivePanel* drivePanel() const { return panel_; }

Q_SIGNALS:
    // Every album asked for is made.
    void finished();

private:
    struct Job {
        QString name;
        QStringList files;
        QString folder; // the video folder to remember; empty for none
        bool closeAfter = false;
    };
    void enqueue(QList<Job> jobs);
    void runNext();
    void filesIn();
    Job folderJob(const QString& folder, bool closeAfter) const;

    LibrarySession& session_;
    AppState& state_;
    TForm1& bookWindow_;
    TForm2& albumWindow_;
    AlbumOpener& opener_;
    AlbumCommands& albumCommands_;
    BookSession& bookSession_;
    DrivePanel* panel_ = nullptr;
    std::function<bool()> newBook_;
    bool panelForNewBook_ = false;
    QList<Job> jobs_;
    Job current_;
    int currentIndex_ = -1;
    bool active_ = false;
    bool waiting_ = false; // the album window is adding the current album's files
    QStringList unfit_;    // files of the queued albums that cannot become entries
};

} // namespace tavimo
