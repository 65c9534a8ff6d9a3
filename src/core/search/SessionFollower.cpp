#include "core/search/SessionFollower.h"

#include "core/LibrarySession.h"
#include "core/search/LibrarySearch.h"

namespace tavimo {

SessionFollower::SessionFollower(LibrarySession& session, LibrarySearch& search, QObject* parent)
    : QObject(parent), session_(session), search_(search) {
    connect(&session_, &LibrarySession::saved, this, &SessionFollower::follow);
    connect(&session_, &LibrarySession::bookReplaced, this, &SessionFollower::follow);
}

void SessionFollower::follow() {
    if (!session_.bookOpen())
        return;
    const Book& book = session_.book();
    const bool media = book.mode() == BookMode::Media;
    QList<SearchAlbumSource> albums;
    albums.reserve(book.count());
    // What the session saved: an open album's lines are its own, not the book's row.
    for (int i = 0; i < book.count(); ++i)
        albums.append({book.album(i).name, session_.entriesOf(i),
                       media ? book.album(i).record : MediumRecord{}});
    search_.setBook(book.paths().title, book.mode(), albums);
}

} // namespace tavimo
