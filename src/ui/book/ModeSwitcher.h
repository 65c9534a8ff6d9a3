#pragma once

#include "core/BookMode.h"
#include "ui/WindowNames.h"

#include <QObject>
#include <functional>

namespace tavimo {

struct AppState;
class BookFileCommands;
class LibrarySession;

// "ノーマルモード" / "メディアモード": saves and closes the book, switches the mode, rebuilds the
// book list and opens the mode's last book, or the first of its list, or shows the window empty
// with the mode's caption. Choosing the checked item does nothing.
class ModeSwitcher final : public QObject {
    Q_OBJECT
public:
    ModeSwitcher(LibrarySession& session, AppState& state, BookWindow& window,
                 BookFileCommands& bookFileCommands);

    void switchTo(BookMode mode);
    // Rebuilds the File menu's book list for the session's mode.
    void setBookListBuilder(std::function<void()> builder) { buildBookList_ = std::move(builder); }

Q_SIGNALS:
    void switched(tavimo::BookMode mode);

private:
    LibrarySession& session_;
    AppState& state_;
    BookWindow& window_;
    BookFileCommands& bookFileCommands_;
    std::function<void()> buildBookList_;
};

} // namespace tavimo
