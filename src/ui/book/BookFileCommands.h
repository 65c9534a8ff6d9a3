#pragma once

#include "ui/WindowNames.h"

#include <QObject>
#include <functional>

namespace tavimo {

struct AppState;
class LibrarySession;

// The book window's side of the current book: loads a book through the library session, shows
// its caption, serves the File menu's save commands ("上書き保存(&S)" and `booksave`), and
// creates new books.
class BookFileCommands final : public QObject {
    Q_OBJECT
public:
    BookFileCommands(LibrarySession& session, AppState& state, BookWindow& window);

    // Saves the current book and loads `title` (no title, no load). When the current book
    // cannot be saved and the user chooses to stay, it stays.
    void loadBook(const QString& title);
    // Writes everything pending, with the book file and, when they changed, its pictures.
    void saveCurrentBook();

    // Makes title the current book as a new, empty book (creating a book). In media mode the
    // title joins the media-book list; in normal mode it leaves it. A title that cannot be a
    // file name is refused with a message. False when no book was made.
    bool openNewBook(const QString& title);

    // What happens when a book or images folder cannot be made: the program ends without its
    // exit sequence. Tests replace it.
    void setTerminate(std::function<void()> terminate) { terminate_ = std::move(terminate); }

Q_SIGNALS:
    // A book was loaded and is the current one (the book list checks its entry).
    void bookLoaded();

private:
    void afterLoad();

    LibrarySession& session_;
    AppState& state_;
    BookWindow& window_;
    std::function<void()> terminate_;
};

} // namespace tavimo
