#include "ui/book/BookFileCommands.h"

#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "core/NameRules.h"
#include "ui/book/BookWindow.h"

#include <QCoreApplication>
#include <QDir>
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

BookFileCommands::BookFileCommands(LibrarySession& session, AppState& state, BookWindow& window)
    : QObject(&window), session_(session), state_(state), window_(window),
      terminate_(quitWithoutExitSequence) {}

void BookFileCommands::loadBook(const QString& title) {
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
    case Book::LoadResult::Kept:
        break;
    }
    // Start-up ends with the first album current, so that the keys work at once.
    if (session_.book().count() > 0)
        window_.selectAlbum(0);
}

void BookFileCommands::afterLoad() {
    const QString& title = session_.bookPaths().title;
    window_.setWindowTitle(bookWindowCaption(title, session_.mode()));
    (session_.isMediaMode() ? state_.lastMediaBook : state_.lastNormalBook) = title;
    Q_EMIT bookLoaded();
}

void BookFileCommands::saveCurrentBook() {
    session_.saveBook();
}

bool BookFileCommands::openNewBook(const QString& title) {
    DialogService& dialogs = session_.dialogs();
    if (title.isEmpty())
        return false;
    if (const std::optional<Problem> refused = refusedName(title, NameKind::BookTitle)) {
        dialogs.tell(*refused);
        return false;
    }
    // The media-book list changes with the book, in the same save: in media mode the title
    // joins it; a normal book made under a title it still holds (its media book was deleted)
    // must not be taken for a media book at the next start.
    QStringList mediaBooks = state_.mediaBooks;
    if (session_.isMediaMode() && !mediaBooks.contains(title))
        mediaBooks.append(title);
    else if (!session_.isMediaMode())
        mediaBooks.removeAll(title);
    const bool listChanged = mediaBooks != state_.mediaBooks;
    if (listChanged && state_.mediaBooksUnreadable) {
        dialogs.message(QStringLiteral("media.inf を読み込めないため、ブックを作成できません。"
                                       "\r\n%1")
                            .arg(QDir::toNativeSeparators(state_.mediaBooksPath())),
                        DialogService::Buttons::Ok, DialogService::Icon::Error);
        return false;
    }
    switch (session_.createBook(title, listChanged ? std::optional(mediaBooks) : std::nullopt)) {
    case Book::LoadResult::FolderFailed:
        terminate_();
        return false;
    case Book::LoadResult::Kept:
        return false;
    default:
        break;
    }
    // The book is open even when its first save failed: that save stays pending.
    state_.mediaBooks = mediaBooks;
    window_.setWindowTitle(bookWindowCaption(title, session_.mode()));
    return true;
}

} // namespace tavimo
