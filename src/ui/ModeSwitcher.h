#pragma once

#include "core/BookMode.h"

#include <QObject>
#include <functional>

namespace tavimo {

struct AppState;
class BookSession;
class LibrarySession;
class TForm1;

// "ノーマルモード" / "メディアモード": saves and closes the book, switches the mode, rebuilds the
// book list and opens the mode's last book, or the first of its list, or shows the window empty
// with the mode's caption. Choosing the checked item does nothing.
class ModeSwitcher final : public QObject {
    Q_OBJECT
public:
    ModeSwitcher(LibrarySession& session, AppState& state, TForm1& window,
                 BookSession& bookSession);

    void switchTo(BookMode mode);
    // Rebuilds the File menu's book list for the session's mode.
    void setBookListBuilder(std::function<void()> builder) { buildBookList_ = std::move(builder); }

Q_SIGNALS:
    void switched(tavimo::BookMode mode);

private:
    LibrarySession& session_;
    AppState& state_;
    TForm1& window_;
    BookSession& bookSession_;
    std::function<void()> buildBookList_;
};

} // namespace tavimo
