#pragma once

#include "ui/book/BookWindow.h"

#include <QObject>
#include <optional>

namespace tavimo {

class LibrarySession;

// Opening an album from the book window ("開く", Ctrl+E, a click or Enter on a cell): the
// session opens the album, the album window shows it and the book window hides until the album
// window closes.
class AlbumOpener final : public QObject {
    Q_OBJECT
public:
    AlbumOpener(LibrarySession& session, BookWindow& bookWindow, AlbumWindow& albumWindow);

    // Opens album `index` of the book; nothing for an index outside the book.
    void open(int index);

private:
    void albumWindowClosed();

    LibrarySession& session_;
    BookWindow& bookWindow_;
    AlbumWindow& albumWindow_;
    // The book window's album commands wait while the album window is open.
    std::optional<BookWindow::BusyScope> albumOpen_;
};

} // namespace tavimo
