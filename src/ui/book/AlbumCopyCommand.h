#pragma once

#include "ui/book/BookWindow.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <optional>

namespace tavimo {

struct AppState;
class AlbumFileCopy;
class LibrarySession;

// "アルバムの全ファイルをコピー": every video of the current album is copied into a chosen folder
// on a worker thread, with a progress bar and a cancel button; the book window stays live and
// its album commands wait. The end names the files that could not be copied.
class AlbumCopyCommand final : public QObject {
    Q_OBJECT
public:
    AlbumCopyCommand(LibrarySession& session, AppState& state, BookWindow& bookWindow);
    ~AlbumCopyCommand() override;

    void run();
    bool isRunning() const;
    QProgressDialog* progress() const { return progress_; }

Q_SIGNALS:
    void finished();

private:
    void copyFinished(const QStringList& failed, bool cancelled);

    LibrarySession& session_;
    AppState& state_;
    BookWindow& bookWindow_;
    AlbumFileCopy* copy_ = nullptr;
    QPointer<QProgressDialog> progress_;
    std::optional<BookWindow::BusyScope> busy_; // while the copy runs
};

} // namespace tavimo
