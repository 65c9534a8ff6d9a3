#pragma once

#include "core/BookPaths.h"
#include "core/Problem.h"
#include "core/WorkerThread.h"

#include <QObject>
#include <QStringList>

namespace tavimo {

class LibrarySession;

// Messages of importing album files from another book.
inline const QString kImportNamedLikeBookMessage =
    QStringLiteral("ブック名と同じアルバムはインポートできません");
inline const QString kImportNameTakenMessage =
    QStringLiteral("同名アルバムがすでに存在します(>_<)");

// What copying one album's files into a book came to.
struct ImportedAlbum {
    bool copied = false;  // its album file was read and copied: the album joins the book
    bool stopped = false; // stopped midway: what it had copied is removed again
    QStringList entries;
    QByteArray jpeg;    // the picture its source book gives it; empty for the placeholder
    QStringList failed; // files that could not be read or copied, in order
};

// Copies the album file `file` (of album `name`) with its marks, counts and thumbnail store into
// the book at `target`, each through a temporary file; a companion the source lacks is removed
// from the target, where it would pass for the album's own. Runs on a worker thread: stop is
// read between blocks, progress(bytes done, bytes in all) after each.
ImportedAlbum copyAlbumForImport(const QString& file, const QString& name, const BookPaths& target,
                                 const QString& libraryFolder,
                                 const std::atomic_bool* stop = nullptr,
                                 const std::function<void(qint64, qint64)>& progress = {});

// Imports album files (".alb" paths, usually from another book's folder of the library) into
// the session's open book of normal mode, in the order given: each album file with its marks,
// counts and thumbnail store joins the book folder and the book as a new album, with the
// picture its source book gives it (the placeholder when that book has none). A name that is
// the book's, or another album's in any letter case, is reported and skipped, so no file of an
// album of this book is ever replaced. Files of such a name that belong to no album are.
//
// The files are copied on a worker thread, one album at a time; the names are checked and the
// album joins the book on the thread that started the run. Copies that fail are reported
// together at the end, and the session saves the book. Cancelling, the book being replaced or
// the run being destroyed abandons the album being copied (its files are removed again);
// albums already in stay.
class AlbumImportRun final : public QObject {
    Q_OBJECT
public:
    explicit AlbumImportRun(LibrarySession& session, QObject* parent = nullptr);
    ~AlbumImportRun() override;

    // False, and nothing started, without an open book of normal mode or while a run is on.
    bool start(const QStringList& albumFiles);
    void cancel();
    bool isRunning() const { return running_; }

Q_SIGNALS:
    // Thousandths of the whole import done.
    void progressed(int permille);
    // The run is over; imported albums joined the book.
    void finished(int imported);
    // What the user is told as it happens: a name refused (before that album is copied), and
    // at the end the files that could not be copied.
    void problemFound(const tavimo::Problem& problem);

private:
    void importNext();
    bool nameAccepted(const QString& name);
    void albumCopied(const QString& name, const ImportedAlbum& album);
    void finish();
    bool bookStillOpen() const;

    LibrarySession& session_;
    BookPaths target_;
    QStringList files_;
    int next_ = 0;
    int imported_ = 0;
    QStringList failed_;
    QStringList inFlight_; // the files the album being copied writes into the book
    bool running_ = false;
    bool cancelled_ = false;
    WorkerThread worker_;
};

} // namespace tavimo
