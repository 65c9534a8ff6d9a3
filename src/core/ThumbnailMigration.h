#pragma once

#include "core/Problem.h"
#include "core/WorkerThread.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace tavimo {

class ProgressSink;

// The earlier version kept one picture file per album and per video in each book's images
// folder ("<album>.jpg", "<video file name>.jpg", or ".bmp"). The migration packs them once into
// the book picture store and the album stores, then deletes the loose files it packed.
namespace migration {

// What the user reads before the migration begins.
QString notice();

// The book files of the library folder, sorted by name.
QStringList bookFiles(const QString& libraryFolder);

// Packs one book: its picture store and the store of every album it lists. Loose files are
// deleted only after every store that holds them has been written; a file that could not be
// read, or whose store could not be written, stays where it is. A store that exists already
// was packed by an earlier run that did not finish: it is kept, and so are its loose files.
// Returns what went wrong, in order.
QList<Problem> migrateBook(const QString& libraryFolder, const QString& bookFile, bool jpegFiles);

// The whole migration, one book at a time on a worker thread, so that the interface thread
// keeps painting. First noticeDue (the run waits while it is told), then progress 0 ..
// (books - 1) stepping to n + 1 after the n-th book, with the problems of each book told before
// the next begins, and the end of the progress. Everything it reports reaches progress and its
// signals on the interface thread; destroyed, it waits for the book in hand and reports nothing
// more.
class ThumbnailMigrationRun final : public QObject {
    Q_OBJECT
public:
    ThumbnailMigrationRun(const QString& libraryFolder, bool jpegFiles, ProgressSink& progress,
                          QObject* parent = nullptr);
    ThumbnailMigrationRun(const ThumbnailMigrationRun&) = delete;
    ThumbnailMigrationRun& operator=(const ThumbnailMigrationRun&) = delete;

    // Starts once. A library without books is migrated at once, the notice included, and
    // finished is emitted, before this returns; otherwise the notice follows from the event
    // loop.
    void start();
    // No further book is begun; the run ends after the book in hand, the progress ends, and
    // finished follows.
    void stop() { stopped_ = true; }
    bool isRunning() const { return running_; }

Q_SIGNALS:
    // Before the first book: the notice to show. Connected with a message box, the run waits
    // for it.
    void noticeDue(const QString& text);
    // What went wrong in one book, told before the next one begins.
    void problemsFound(const QList<tavimo::Problem>& problems);
    // The migration is over (every book packed, or stopped).
    void finished();

private:
    void begin();
    void packNext();
    void bookPacked(const QList<Problem>& problems);

    QString libraryFolder_;
    bool jpegFiles_;
    ProgressSink& progress_;
    QStringList books_;
    int packed_ = 0;
    bool started_ = false;
    bool running_ = false;
    bool stopped_ = false;
    // Last: destroyed first, it waits for the book in hand and drops what it has not handed over.
    WorkerThread worker_;
};

} // namespace migration
} // namespace tavimo
