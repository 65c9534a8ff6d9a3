#include "ui/BookSession.h"

#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/NameRules.h"
#include "core/TextFile.h"
#include "ui/BookWindow.h"
#include "ui/ScrollBox.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMetaObject>

namespace tavimo {

namespace {
void quitWithoutExitSequence() {
    // Queued, so that the operation that failed finishes first (and so that it also works
    // before the event loop runs). Leaving the loop closes no window, so the exit sequence
    // (settings, book save) does not run.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}
} // namespace

BookSession::BookSession(AppState& state, TForm1& window, ScrollBox& grid, DialogService& dialogs)
    : state_(state), window_(window), dialogs_(dialogs), cells_(grid), book_(&cells_),
      terminate_(quitWithoutExitSequence) {
    connect(window_.booksave, &QAction::triggered, this, [this] { book_.save(dialogs_); });
    connect(window_.saveItem, &QAction::triggered, this, [this] { book_.saveCommand(dialogs_); });
    // The window clears the clicked mark; the book must forget the album's folder sync with it,
    // or the next save would write the marker back.
    connect(&grid, &ScrollBox::syncMarkClicked, this,
            [this](int index) { book_.setFolderSync(index, false); });
}

void BookSession::loadCurrentBook() {
    const QString title = state_.book.title;
    if (title.isEmpty())
        return;
    switch (book_.load(state_.libraryFolder, title, state_.mode, dialogs_)) {
    case Book::LoadResult::Loaded:
        state_.book = book_.paths();
        afterLoad();
        break;
    case Book::LoadResult::FolderFailed:
        terminate_();
        break;
    case Book::LoadResult::NoTitle:
    case Book::LoadResult::FoldersMade:
    case Book::LoadResult::Unreadable:
        state_.book = book_.paths();
        break;
    }
}

void BookSession::afterLoad() {
    const bool media = state_.mode == BookMode::Media;
    window_.setWindowTitle(bookWindowCaption(state_.book.title, state_.mode));
    (media ? state_.lastMediaBook : state_.lastNormalBook) = state_.book.title;
    window_.applyBookLoadedItems();
    markBookEntries();
}

void BookSession::markBookEntries() {
    bool inList = false;
    for (QAction* item : window_.fileMenu->actions()) {
        if (item == window_.bookListStart || item == window_.bookListEnd) {
            inList = item == window_.bookListStart;
            continue;
        }
        if (inList && item->isCheckable())
            item->setChecked(state_.libraryFolder + item->text() == state_.book.bookFile);
    }
}

void BookSession::saveCurrentBook() {
    if (!book_.isOpen())
        return;
    book_.save(dialogs_);
    book_.savePictures(dialogs_);
}

void BookSession::openNewBook(const QString& title) {
    if (title.isEmpty() || !acceptName(title, NameKind::BookTitle, dialogs_))
        return;
    const bool media = state_.mode == BookMode::Media;
    state_.setBook(title);
    window_.setWindowTitle(bookWindowCaption(title, state_.mode));
    if (media && !state_.mediaBooks.contains(title)) {
        state_.mediaBooks.append(title);
        const WriteResult written =
            textfile::writeLines(state_.mediaBooksPath(), state_.mediaBooks);
        if (!written)
            dialogs_.message(written.message(), DialogService::Buttons::Ok,
                             DialogService::Icon::Error);
    }
    if (!book_.openNew(state_.libraryFolder, title, state_.mode, dialogs_)) {
        terminate_();
        return;
    }
    window_.applyBookOpenState();
}

} // namespace tavimo
