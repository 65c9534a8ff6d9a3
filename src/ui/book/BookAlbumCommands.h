#pragma once

#include "core/BookAlbumOperations.h"
#include "ui/WindowNames.h"

#include <QObject>

namespace tavimo {

class AlbumOpener;
class LibrarySession;

// The album commands of the book window: add, rename, the album picture from a file or the
// clipboard, delete, the four moves, sort and play. It turns the window's commands into
// BookAlbumOperations on the grid's current album and puts the selection, the grid and the
// status bar right afterwards. Opening an album is AlbumOpener's; play opens the album through
// it and starts the album window's continuous play. Every change goes through the book model,
// so whatever shows the book's albums (the grid, the favourites menu) follows on its own.
class BookAlbumCommands final : public QObject {
    Q_OBJECT
public:
    BookAlbumCommands(BookWindow& window, LibrarySession& session, AlbumOpener& opener,
                      AlbumWindow& albumWindow);

    void add();
    void rename();
    void pictureFromFile();
    void pictureFromClipboard();
    void remove();
    // "前へ移動", "後へ移動", "一番前へ移動", "一番後ろへ移動".
    void move(RowStep step);
    void sort();
    void play();

private:
    int current() const;

    BookWindow& window_;
    LibrarySession& session_;
    AlbumOpener& opener_;
    AlbumWindow& albumWindow_;
    BookAlbumOperations ops_;
};

} // namespace tavimo
