#pragma once

#include "ui/WindowNames.h"

#include <QList>
#include <QObject>
#include <QString>

class QAction;
class QMenu;

namespace tavimo {

struct AppState;
class BookFileCommands;
class DialogService;
class LibrarySession;

// The books of the current mode in the File menu, before the separator that ends them: one
// checkable entry per book file, the current book's checked. Choosing one opens that book;
// "ブックの新規作成" makes a new one. An entry keeps its file name (title + ".book") as its
// data; its text shows the same name.
class BookListMenu final : public QObject {
    Q_OBJECT
public:
    // The entries go into menu, before listEnd.
    BookListMenu(LibrarySession& session, AppState& state, BookWindow& window,
                 BookFileCommands& books, QMenu& menu, QAction& listEnd);

    // Lists the book files of the current mode afresh, sorted. With no book file at all the
    // menu stays as it is.
    void rebuild();
    // The entries' file names, in menu order.
    QStringList entries() const;
    // The entry of that file name (exact comparison), or nothing.
    QAction* entryFor(const QString& fileName) const;

    // Saves the current book and opens the entry's. When its file is gone, says so and keeps the
    // current book.
    void choose(QAction* entry);
    // Asks for a title until it is new in both modes and can name files, then saves the current
    // book and opens the new, empty one; its entry comes first and is checked. False when the
    // title was cancelled or the book could not be made.
    bool createBook();

private:
    QAction* addEntry(const QString& fileName, QAction* before);
    void checkOnly(QAction* entry);
    // Checks the open book's entry, none when no book is open.
    void checkCurrent();
    void afterOpening();

    LibrarySession& session_;
    AppState& state_;
    BookWindow& window_;
    BookFileCommands& books_;
    QMenu& menu_;
    QAction& listEnd_;
    DialogService& dialogs_;
    QList<QAction*> entries_;
    QString lastTyped_; // the input box starts with the previous attempt
};

} // namespace tavimo
