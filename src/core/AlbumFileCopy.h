#pragma once

#include "core/WorkerThread.h"

#include <QObject>
#include <QStringList>

namespace tavimo {

// Copies files into a folder on a worker thread ("アルバムの全ファイルをコピー"): each file goes to
// folder + its file name, replacing a file of that name, through a temporary file so that a
// failed or stopped copy leaves the old one. A second file of a name copied before in the same
// run is not copied (it would replace the first). Reports on the thread that started it.
class AlbumFileCopy : public QObject {
    Q_OBJECT
public:
    explicit AlbumFileCopy(QObject* parent = nullptr);

    void start(const QStringList& files, const QString& folder);
    // Stops after the file being copied is abandoned; finished follows.
    void cancel() { worker_.requestStop(); }
    bool isRunning() const { return worker_.isRunning(); }

Q_SIGNALS:
    // done files of files.size() are through (copied or not).
    void progressed(int done);
    // failed: the files that were not copied, in order; cancelled: the user stopped it, and
    // the files not reached are not among failed.
    void finished(const QStringList& failed, bool cancelled);

private:
    // Destroyed with this object: it stops the copy and waits for it, and nothing of it is
    // reported afterwards.
    WorkerThread worker_;
};

} // namespace tavimo
