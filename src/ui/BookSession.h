#pragma once

#include "core/Book.h"
#include "ui/BookOperations.h"
#include "ui/GridAlbumCells.h"

#include <QObject>
#include <functional>

namespace tavimo {

struct AppState;
class DialogService;
class ScrollBox;
class TForm1;

// The open book in the book window: loads the book named by the application state into the
// album grid, saves it, and serves the book commands of the File menu ("上書き保存(&S)" and
// `booksave`). The Book it owns is the one every album operation changes.
class BookSession final : public QObject, public BookOperations {
    Q_OBJECT
public:
    BookSession(AppState& state, TForm1& window, ScrollBox& grid, DialogService& dialogs);

    Book& book() { return book_; }

    // BookOperations.
    void loadCurrentBook() override;
    void saveCurrentBook() override;

    // Makes title the current book as a new, empty book (creating a book). In media mode the
    // title joins the media-book list. A title that cannot be a file name is refused with a
    // message.
    void openNewBook(const QString& title);

    // What happens when a book or images folder cannot be made: the program ends without its
    // exit sequence. Tests replace it.
    void setTerminate(std::function<void()> terminate) { terminate_ = std::move(terminate); }

private:
    void afterLoad();
    void markBookEntries();

    AppState& state_;
    TForm1& window_;
    DialogService& dialogs_;
    GridAlbumCells cells_;
    Book book_;
    std::function<void()> terminate_;
};

} // namespace tavimo
