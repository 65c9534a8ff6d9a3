#pragma once

#include <QObject>

namespace tavimo {

class LibrarySearch;
class LibrarySession;

// Keeps the search following the session: after every save (an album added, deleted, renamed,
// moved or imported, videos added or removed, a book made or loaded) the open book's rows go
// to the search as a whole. Albums whose names and lines did not change keep what the index
// folded of them, and a save of marks alone changes nothing there.
class SessionFollower final : public QObject {
    Q_OBJECT
public:
    SessionFollower(LibrarySession& session, LibrarySearch& search, QObject* parent = nullptr);

    // Gives the open book's rows to the search now.
    void follow();

private:
    LibrarySession& session_;
    LibrarySearch& search_;
};

} // namespace tavimo
