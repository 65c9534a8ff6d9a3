#pragma once

#include "core/AlbumImport.h"
#include "ui/book/BookWindow.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <optional>

namespace tavimo {

class LibrarySession;

// "アルバムのインポート" (run by AlbumsFromFolders, which makes albums one kind at a time): album
// files chosen in a dialog join the book. Their files are copied on
// a worker thread with a progress bar and a cancel button (shown when the copy takes a moment);
// the book window stays live and its album commands wait. At the end the grid shows the new
// albums with the last one current.
class AlbumImportCommand final : public QObject {
    Q_OBJECT
public:
    AlbumImportCommand(LibrarySession& session, BookWindow& bookWindow);

    void run();
    bool isRunning() const { return import_.isRunning(); }
    // While it runs, for tests: the progress dialog (shown or not yet) and its cancel.
    QProgressDialog* progress() const { return progress_; }

Q_SIGNALS:
    void finished();

private:
    void importFinished(int imported);

    LibrarySession& session_;
    BookWindow& bookWindow_;
    QPointer<QProgressDialog> progress_;
    std::optional<BookWindow::BusyScope> busy_; // while the import runs
    AlbumImportRun import_;
};

} // namespace tavimo
