#include "ui/BookSession.h"

#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
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

BookSession::BookSession(LibrarySession& session, AppState& state, TForm1& window)
    : QObject(&window), session_(session), state_(state), window_(window),
      terminate_(quitWithoutExitSequence) {
    connect(window_.booksave, &QAction::triggered, this, [this] {
        session_.flush();
        session_.book().save(session_.dialogs());
    });
    connect(window_.saveItem, &QAction::triggered, this, [this] {
        if (session_.book().count() > 0)
            saveCurrentBook();
    });
}

void BookSession::loadCurrentBook() {
    const QString title = state_.bookTitle;
    if (title.isEmpty())
        return;
    switch (session_.loadBook(title)) {
    case Book::LoadResult::Loaded:
        afterLoad();
        break;
    case Book::LoadResult::FolderFailed:
        terminate_();
        break;
    case Book::LoadResult::NoTitle:
    case Book::LoadResult::FoldersMade:
    case Book::LoadResult::Unreadable:
        break;
    }
    // Start-up ends with the first album current, so that the keys work at once.
    if (session_.book().count() > 0)
        window_.scrollBox->select(0);
}

void BookSession::afterLoad() {
    const QString& title = session_.bookPaths().title;
    window_.setWindowTitle(bookWindowCaption(title, session_.mode()));
    (session_.isMediaMode() ? state_.lastMediaBook : state_.lastNormalBook) = title;
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
            item->setChecked(state_.libraryFolder + item->data().toString() ==
                             session_.bookPaths().bookFile);
    }
}

void BookSession::saveCurrentBook() {
    session_.flush();
    Book& book = session_.book();
    if (!book.isOpen())
        return;
    book.save(session_.dialogs());
    if (book.picturesChanged())
        book.savePictures(session_.dialogs());
}

void BookSession::openNewBook(const QString& title) {
    DialogService& dialogs = session_.dialogs();
    if (title.isEmpty() || !acceptName(title, NameKind::BookTitle, dialogs))
        return;
    const bool media = session_.isMediaMode();
    state_.bookTitle = title;
    window_.setWindowTitle(bookWindowCaption(title, session_.mode()));
    if (media && !state_.mediaBooks.contains(title)) {
        state_.mediaBooks.append(title);
        const WriteResult written =
            textfile::writeLines(state_.mediaBooksPath(), state_.mediaBooks);
        if (!written)
            dialogs.message(written.message(), DialogService::Buttons::Ok,
                            DialogService::Icon::Error);
    }
    if (!session_.createBook(title)) {
        terminate_();
        return;
    }
    window_.applyBookOpenState();
}

} // namespace tavimo
