#include "ui/book/ModeSwitcher.h"

#include "core/AppState.h"
#include "core/LibrarySession.h"
#include "core/ModeSwitch.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookWindow.h"

namespace tavimo {

ModeSwitcher::ModeSwitcher(LibrarySession& session, AppState& state, BookWindow& window,
                           BookFileCommands& bookFileCommands)
    : QObject(&window), session_(session), state_(state), window_(window),
      bookFileCommands_(bookFileCommands) {}

void ModeSwitcher::switchTo(BookMode mode) {
    const bool media = mode == BookMode::Media;
    // Everything of the book shown is written before it goes; when that fails and the user
    // chooses to stay, the mode stays too. The Mode menu shows the mode there is.
    const bool changed = session_.mode() != mode && session_.switchMode(mode);
    if (!changed)
        return;
    if (buildBookList_)
        buildBookList_();

    const QStringList titles = bookTitlesOfMode(state_.libraryFolder, state_.mediaBooks, mode);
    bookFileCommands_.loadBook(bookAfterModeSwitch(
        state_.libraryFolder, media ? state_.lastMediaBook : state_.lastNormalBook, titles));
    window_.selectAlbum(0); // none in a book without albums, or without a book
    if (!session_.bookOpen())
        window_.setWindowTitle(bookWindowCaption(QString(), mode));
    Q_EMIT switched(mode);
}

} // namespace tavimo
