#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <memory>

namespace tavimo {

class Album;
class DialogService;
struct AppState;
namespace media {
class ThumbnailPool;
struct Thumbnail;
} // namespace media

// Making thumbnails for the open album on the worker pool, outside any window. Pictures made
// for videos already in the album find their row by its id, so they land right even when the
// user moves or deletes videos meanwhile; only adding files holds the album busy, because the
// new videos join it in the order of the files.
class ThumbnailRun : public QObject {
    Q_OBJECT
public:
    enum class Kind { None, Show, Add, Refresh };

    ThumbnailRun(Album& album, const AppState& state, DialogService& dialogs,
                 QObject* parent = nullptr);
    ~ThumbnailRun() override;

    Kind kind() const { return kind_; }
    bool isRunning() const { return kind_ != Kind::None; }
    // Files are being added: the album's order must not change until they are in.
    bool isAddingFiles() const { return kind_ == Kind::Add; }

    // The pictures the album lacks (videos whose files are there to make one from), in album
    // order, so the cells at the top, shown first, get theirs first. Nothing to make finishes
    // at once.
    void startShow();
    // Adds the files (full paths), in the order given, each with its picture.
    void startAdd(const QStringList& fullPaths);
    // Makes video i's picture again ("画像を更新").
    void startRefresh(int video);
    // Stops the run: nothing more of it is applied.
    void cancel();
    // The worker pool, which preview strips share at a lower priority.
    media::ThumbnailPool& pool() { return *pool_; }

Q_SIGNALS:
    void started(tavimo::ThumbnailRun::Kind kind, int files);
    void stepped(int done);
    void finished(tavimo::ThumbnailRun::Kind kind);

private:
    void start(Kind kind, const QStringList& paths);
    void made(int run, int index, const media::Thumbnail& thumbnail);
    void runFinished(int run);
    bool keepUnreadable(const QString& fullPath, const media::Thumbnail& thumbnail);

    Album& album_;
    const AppState& state_;
    DialogService& dialogs_;
    std::unique_ptr<media::ThumbnailPool> pool_;
    Kind kind_ = Kind::None;
    int run_ = 0;
    int done_ = 0;
    QStringList paths_;
    QList<quint64> ids_;       // Show and Refresh: the row each file belongs to
    QList<int> hints_;         // where each row stood when the run began
    QList<quint64> dropped_;   // Show: rows whose files could not be read and are left out
    bool showPending_ = false; // a show run gave way to another: it runs again afterwards
};

} // namespace tavimo
