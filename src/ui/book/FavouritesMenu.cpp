#include "ui/book/FavouritesMenu.h"

#include "core/AppState.h"
#include "core/BookPaths.h"
#include "core/DialogService.h"
#include "core/FavouriteBook.h"
#include "core/LibrarySession.h"
#include "ui/book/BookListMenu.h"
#include "ui/book/BookWindow.h"
#include "ui/book/MenuText.h"

#include <QAction>
#include <QMenu>

namespace tavimo {

FavouritesMenu::FavouritesMenu(LibrarySession& session, AppState& state, BookWindow& window,
                               BookListMenu& bookList, QMenu& menu)
    : QObject(&window), session_(session), state_(state), window_(window), bookList_(bookList),
      menu_(menu), dialogs_(session.dialogs()) {
    // Every change of the book's rows may rename, add, remove or reorder albums.
    const Book* book = &session_.book();
    connect(book, &Book::rowsInserted, this, &FavouritesMenu::followCurrentBook);
    connect(book, &Book::rowsRemoved, this, &FavouritesMenu::followCurrentBook);
    connect(book, &Book::rowsMoved, this, &FavouritesMenu::followCurrentBook);
    connect(book, &Book::modelReset, this, &FavouritesMenu::followCurrentBook);
    connect(book, &Book::layoutChanged, this, &FavouritesMenu::followCurrentBook);
    connect(book, &Book::dataChanged, this, &FavouritesMenu::followCurrentBook);
    // Before another book replaces the rows, what is due is taken from them.
    connect(book, &Book::modelAboutToBeReset, this, &FavouritesMenu::applyDueChanges);
    connect(&menu_, &QMenu::aboutToShow, this, &FavouritesMenu::applyDueChanges);
}

const QStringList& FavouritesMenu::albumNames() {
    applyDueChanges();
    return names_;
}

void FavouritesMenu::fill(const QStringList& names) {
    qDeleteAll(items_);
    items_.clear();
    names_.clear();
    for (const QString& name : names) {
        if (name.isEmpty())
            continue;
        auto* item = new QAction(literalMenuText(name), this);
        menu_.addAction(item);
        connect(item, &QAction::triggered, this, [this, name] { openAlbum(name); });
        items_.append(item);
        names_.append(name);
    }
}

void FavouritesMenu::rebuild() {
    changesDue_ = false;
    if (state_.favouriteBook.isEmpty())
        return;
    // The open book's rows are newer than its file, which is saved a moment after a change.
    if (session_.bookOpen() && session_.bookPaths().title == state_.favouriteBook) {
        changesDue_ = true;
        applyDueChanges();
        return;
    }
    const auto names = favouritebook::readAlbums(state_.libraryFolder, state_.favouriteBook);
    if (!names) {
        dialogs_.message(favouritebook::kNotFoundMessage, DialogService::Buttons::Ok,
                         DialogService::Icon::Error);
        return;
    }
    fill(*names);
}

void FavouritesMenu::followCurrentBook() {
    const Book& book = session_.book();
    if (book.isOpen() && book.paths().title == state_.favouriteBook)
        changesDue_ = true;
}

void FavouritesMenu::applyDueChanges() {
    if (!changesDue_)
        return;
    changesDue_ = false;
    const Book& book = session_.book();
    if (!book.isOpen() || book.paths().title != state_.favouriteBook)
        return;
    QStringList names;
    names.reserve(book.count());
    for (const BookAlbum& album : book.albums())
        if (!album.name.isEmpty())
            names.append(album.name);
    // Pictures and entries change far more often than names.
    if (names != names_)
        fill(names);
}

void FavouritesMenu::chooseFavourite() {
    if (!session_.bookOpen())
        return;
    const auto answer = dialogs_.input(QStringLiteral("お気に入りの設定"),
                                       QStringLiteral("お気に入りのブック名を指定してください"),
                                       state_.favouriteBook);
    if (!answer || answer->isEmpty())
        return;
    const favouritebook::Choice choice =
        favouritebook::choose(*answer, bookList_.entries(), state_.mediaBooks);
    switch (choice.outcome) {
    case favouritebook::Outcome::MediaBook:
        dialogs_.message(favouritebook::kMediaBookMessage);
        return;
    case favouritebook::Outcome::NotFound:
        dialogs_.message(favouritebook::kNotFoundMessage);
        return;
    case favouritebook::Outcome::Set:
        state_.favouriteBook = choice.title;
        rebuild();
        dialogs_.message(favouritebook::kRegisteredMessage);
        return;
    }
}

void FavouritesMenu::openAlbum(const QString& name) {
    const QString favourite = state_.favouriteBook;
    if (!session_.bookOpen() || session_.bookPaths().title != favourite) {
        QAction* entry = bookList_.entryFor(favourite + kBookExtension);
        if (!entry)
            return;
        bookList_.choose(entry);
        // A book that could not be opened leaves another on screen: none of its albums opens.
        if (!session_.bookOpen() || session_.bookPaths().title != favourite)
            return;
    }
    const int index = session_.book().indexOfAlbum(name);
    if (index < 0)
        return;
    window_.selectAlbum(index);
    window_.openCurrentAlbum();
}

} // namespace tavimo
