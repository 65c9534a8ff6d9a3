#pragma once

#include "ui/WindowNames.h"

#include <QList>
#include <QObject>
#include <QStringList>

class QAction;
class QMenu;

namespace tavimo {

struct AppState;
class BookListMenu;
class DialogService;
class LibrarySession;

// The Favourites menu: "お気に入りの設定" chooses the favourite book, and one item per album of
// that book opens the album from whichever book is shown. While the favourite book is the
// current one, the items follow its albums as they are added, renamed, moved or sorted.
class FavouritesMenu final : public QObject {
    Q_OBJECT
public:
    // The album items go at the end of menu.
    FavouritesMenu(LibrarySession& session, AppState& state, BookWindow& window,
                   BookListMenu& bookList, QMenu& menu);

    // Lists the favourite book's albums: from the rows when it is the open book, else from its
    // book file. A favourite whose book file is missing is reported and the menu stays as it
    // was; no favourite, no change.
    void rebuild();
    // "お気に入りの設定": asks for a book of the book list by title or file name.
    void chooseFavourite();
    // Opens the favourite book when another is shown, then its album of that name.
    void openAlbum(const QString& name);

    // The album names the items show, in menu order.
    const QStringList& albumNames();

private:
    void fill(const QStringList& names);
    // The favourite book's rows changed: the items are brought up to date when they are next
    // shown or asked for, so that sorting or moving thousands of albums pays for one refresh.
    void followCurrentBook();
    void applyDueChanges();

    LibrarySession& session_;
    AppState& state_;
    BookWindow& window_;
    BookListMenu& bookList_;
    QMenu& menu_;
    DialogService& dialogs_;
    QStringList names_;
    QList<QAction*> items_;
    bool changesDue_ = false;
};

} // namespace tavimo
