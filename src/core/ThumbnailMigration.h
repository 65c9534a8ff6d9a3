#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QObject;

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
// read, or whose store could not be written, stays where it is. Failures are reported through
// dialogs.
void migrateBook(const QString& libraryFolder, const QString& bookFile, bool jpegFiles,
                 DialogService& dialogs);

// The whole migration: the notice, progress 0 .. (books - 1) stepping to n + 1 after the n-th
// book, every book packed, and the end of the progress. Runs on the calling thread.
void migrateThumbnails(const QString& libraryFolder, bool jpegFiles, ProgressSink& progress,
                       DialogService& dialogs);

// Runs migrateThumbnails on a worker thread so that the interface thread keeps painting. The
// notice, every message and every progress call are delivered to progress and dialogs on the
// interface thread (messages wait for their answer, as a message box does); finished runs there
// when the migration is over. A library without books is migrated at once, before this returns.
// context is an object of the interface thread that outlives the migration.
void startThumbnailMigration(QObject* context, const QString& libraryFolder, bool jpegFiles,
                             ProgressSink& progress, DialogService& dialogs,
                             std::function<void()> finished);

} // namespace migration
} // namespace tavimo
