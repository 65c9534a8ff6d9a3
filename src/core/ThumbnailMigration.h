#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace tavimo {

class DialogService;
class ProgressSink;

// The earlier version kept one picture file per album and per video in each book's images
// folder ("<album>.jpg", "<video file name>.jpg", or ".bmp"). The migration packs them once into
// the book picture store and the album stores, then deletes the loose files it packed.
namespace migration {

// The book files of the library folder, sorted by name.
QStringList bookFiles(const QString& libraryFolder);

// Packs one book: its picture store and the store of every album it lists. Loose files are
// deleted only after every store that holds them has been written; a file that could not be
// read, or whose store could not be written, stays where it is. A store that exists already
// was packed by an earlier run that did not finish: it is kept, and so are its loose files.
// Failures are reported through dialogs.
void migrateBook(const QString& libraryFolder, const QString& bookFile, bool jpegFiles,
                 DialogService& dialogs);

// The whole migration: the notice, progress 0 .. (books - 1) stepping to n + 1 after the n-th
// book, every book packed, and the end of the progress. Runs on the calling thread. Once
// stopRequested (when given) is true no further book is begun.
void migrateThumbnails(const QString& libraryFolder, bool jpegFiles, ProgressSink& progress,
                       DialogService& dialogs, const std::atomic_bool* stopRequested = nullptr);

// What a run shares with its worker and with the calls it queues (defined with the run).
struct RunState;

// One migration on a worker thread, so that the interface thread keeps painting. The notice,
// every message and every progress call reach progress and dialogs on the interface thread
// through queued calls; the worker waits for the answer of a message, as a message box does.
// progress and dialogs must outlive the run; the run owns its thread and joins it when it is
// destroyed, after which nothing more reaches progress or dialogs.
class ThumbnailMigrationRun final : public QObject {
    Q_OBJECT
public:
    ThumbnailMigrationRun(const QString& libraryFolder, bool jpegFiles, ProgressSink& progress,
                          DialogService& dialogs, QObject* parent = nullptr);
    // Stops between books and waits for the worker; a message still waiting for its answer is
    // left unanswered.
    ~ThumbnailMigrationRun() override;
    ThumbnailMigrationRun(const ThumbnailMigrationRun&) = delete;
    ThumbnailMigrationRun& operator=(const ThumbnailMigrationRun&) = delete;

    // Starts once. A library without books is migrated at once, and finished is emitted,
    // before this returns.
    void start();
    // No further book is begun and no further message is shown; the worker ends after the
    // book it is packing, the progress ends, and finished follows.
    void stop();
    bool isRunning() const { return worker_.joinable(); }

Q_SIGNALS:
    // The migration is over (every book packed, or stopped); the worker has been joined.
    void finished();

private:
    void workerEnded();

    QString libraryFolder_;
    bool jpegFiles_;
    std::shared_ptr<RunState> state_;
    bool started_ = false;
    std::thread worker_;
};

// The run as a child of context, deleted after finished has run; for callers that keep no
// owner of their own.
void startThumbnailMigration(QObject* context, const QString& libraryFolder, bool jpegFiles,
                             ProgressSink& progress, DialogService& dialogs,
                             std::function<void()> finished);

} // namespace migration
} // namespace tavimo
