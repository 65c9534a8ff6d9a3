#pragma once

#include <QObject>
#include <QStringList>
#include <atomic>
#include <memory>
#include <thread>

namespace tavimo {

class Album;
class Book;
class DriveProbe;

// Where the videos of album `index` of the book lie now (entryFile): full paths in album order.
// In media books the entries are below the album's medium, which is looked for among the
// mounted volumes; mediumMissing tells that it is not mounted (then there are no paths).
struct AlbumVideoPaths {
    QStringList paths;
    bool mediumMissing = false;
};
AlbumVideoPaths albumVideoPaths(const Book& book, int index, const DriveProbe& probe);

// Copies files into a folder on a worker thread ("アルバムの全ファイルをコピー"): each file goes to
// folder + its file name, replacing a file of that name, through a temporary file so that a
// failed or stopped copy leaves the old one. A second file of a name copied before in the same
// run is not copied (it would replace the first). Reports on the thread that started it.
class AlbumFileCopy : public QObject {
    Q_OBJECT
public:
    explicit AlbumFileCopy(QObject* parent = nullptr);
    ~AlbumFileCopy() override;

    void start(const QStringList& files, const QString& folder);
    // Stops after the file being copied is abandoned; finished follows.
    void cancel() { stop_ = true; }
    bool isRunning() const { return running_; }

Q_SIGNALS:
    // done files of files.size() are through (copied or not).
    void progressed(int done);
    // failed: the files that were not copied, in order; cancelled: the user stopped it, and
    // the files not reached are not among failed.
    void finished(const QStringList& failed, bool cancelled);

private:
    std::thread worker_;
    std::atomic_bool stop_{false};
    bool running_ = false;
};

} // namespace tavimo
