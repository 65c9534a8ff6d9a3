#pragma once

#include <QObject>
#include <functional>

namespace tavimo {

struct AppState;
class LibrarySession;
class TForm1;

// The book window's side of the current book: loads a book through the library session, shows
// its caption and checks it in the book list, serves the File menu's save commands
// ("上書き保存(&S)" and `booksave`), and creates new books.
class BookSession final : public QObject {
    Q_OBJECT
public:
    BookSession(LibrarySession& session, AppState& state, TForm1& window);

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

private:
    void afterLoad();
    void markBookEntries();

    LibrarySession& session_;
    AppState& state_;
    TForm1& window_;
    std::function<void()> terminate_;
};

} // namespace tavimo
