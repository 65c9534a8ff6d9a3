#pragma once

#include "core/VideoOperations.h"
#include "ui/WindowNames.h"

#include <QObject>
#include <QStringList>

class QMenu;

namespace tavimo {

struct AppState;
class DialogService;
class FileTrash;
class LibrarySession;
class ProgramLauncher;

// The video commands of the album window: moving, deleting, sorting, adding files and folders
// (by dialog or by dropping them), copying to a favourite album and handing a video to the
// other player. It turns the window's commands into VideoOperations and puts the selection,
// caption and grid right afterwards. None of it runs while files are being added.
class AlbumCommands : public QObject {
    Q_OBJECT
public:
    // favourites: the cell menu's "お気に入りに追加", which lists the favourite book's albums.
    AlbumCommands(AlbumWindow& window, QMenu& favourites, LibrarySession& session, AppState& state,
                  FileTrash& trash, ProgramLauncher& launcher);

    void setPlayerWindow(QWidget* player) { player_ = player; }

    // The commands the window's actions run.
    // "前へ移動", "次へ移動", "一番前へ移動", "一番後へ移動".
    void move(RowStep step);
    void deleteFromAlbum();
    void deleteFile();
    void sortByName();
    void sortByPlayCount();
    void openFiles();
    void openFolder();
    void playWithOtherPlayer();
    // Adds the videos of a folder, or files given by full path (the media rules first).
    void addFolder(const QString& folder);
    void addFiles(const QStringList& fullPaths);
    // Files and folders dropped on the window.
    void dropPaths(QStringList paths);
    // Rebuilds "お気に入りに追加" from the favourite book.
    void rebuildFavourites();
    void addToFavourite(const QString& albumName);

private:
    bool playerShown() const;
    // The selection after a change: current, shown and focused.
    void select(int index);
    void sort(bool byName);

    AlbumWindow& window_;
    QMenu& favourites_;
    LibrarySession& session_;
    AppState& state_;
    DialogService& dialogs_;
    FileTrash& trash_;
    ProgramLauncher& launcher_;
    VideoOperations ops_;
    QWidget* player_ = nullptr;
};

} // namespace tavimo
