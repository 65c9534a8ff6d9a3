#pragma once

#include "core/PreviewStripCache.h"

#include <QCache>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace tavimo::media {

class ThumbnailPool;

// A video shown in a cell: the caller's number for it (such as its row id) and its file.
struct PreviewVideo {
    quint64 video = 0;
    QString path;
};

// The pictures a cell shows while the pointer moves across it: a strip of ten frames per
// video (preview::stepPosition), made on the thumbnail pool's threads at a lower priority than
// thumbnails, kept in memory for the session and on disk in a PreviewStripCache. The strip of
// the cell under the pointer is made first, the hovered frame of it before the others; then
// the strips of the cells on screen. While thumbnails are being made, only the frames the
// pointer rests on are made, one at a time, and the rest waits for the thumbnails to end, so
// adding files goes at its own speed.
//
// Pictures come back by signals on this object's thread (the interface thread), keyed by the
// caller's number for the video. They are fitted into 120 x 90 at the display aspect, not
// framed: the cell centres them on its picture. Nothing is written to the library.
class PreviewStrips : public QObject {
    Q_OBJECT
public:
    PreviewStrips(std::shared_ptr<PreviewStripCache> cache, ThumbnailPool& pool,
                  QObject* parent = nullptr);
    ~PreviewStrips() override;

    // The pointer is on the picture of `video` (its file `path`) at `step` (0..9,
    // preview::stepAt). stepReady(video, step, picture) follows once for each step the
    // pointer moves to: on the next turn of the event loop when the strip is known, else as
    // soon as that frame is made. A file that is not there, is not a regular file or has no
    // video that decodes gives `unavailable` (the cell keeps its thumbnail). Only one cell is
    // hovered at a time: another video replaces the one before.
    void hover(quint64 video, const QString& path, int step);
    // The pointer left the picture: nothing more is delivered for it.
    void leave();
    // The cells on screen, in the order their strips are to be made after the hovered one's;
    // replaces the list given before.
    void prefetch(const QList<PreviewVideo>& videos);

    // Makes the strip of the video at `path` on the calling thread: kFrames JPEG pictures,
    // `firstStep` first, then the others in order, each handed to `made` as it is made.
    // nullopt when the file has no video that decodes, or when `cancelled` (asked before each
    // frame) said so.
    static std::optional<QList<QByteArray>>
    make(const QString& path, int firstStep = 0,
         const std::function<void(int, const QByteArray&)>& made = {},
         const std::function<bool()>& cancelled = {});

    // The box strip pictures are fitted into.
    static QSize frameBox();
    // Decoding forward from a keyframe for a strip's frame is done when it costs at most
    // about this many pixels (nineteen frames of 1080p); otherwise the nearest keyframe shows.
    static constexpr qint64 kExactPixelBudget = 40LL * 1000 * 1000;

Q_SIGNALS:
    void stepReady(quint64 video, int step, const QImage& picture);
    void unavailable(quint64 video);

private:
    struct Strip {
        QList<QByteArray> frames; // JPEG; empty where not made yet
        bool whole = true;        // false: the frames made before thumbnails took the pool
    };
    struct Job {
        PreviewKey key;
        QList<QByteArray> frames; // made so far
        std::shared_ptr<std::atomic<bool>> cancel;
        bool forHover = false;
        int firstStep = 0;
        std::optional<PreviewVideo> prefetched; // the cell on screen it is made for
    };
    struct Hover {
        bool active = false;
        quint64 video = 0;
        QString path;
        std::optional<PreviewKey> key;
        int step = 0;
        int delivered = -1; // the step whose picture was delivered last
        bool told = false;  // `unavailable` was sent
        int tried = -1;     // the step a job cut short by thumbnails began with
    };
    struct Outbox;

    void schedule();
    void startJob(const PreviewKey& key, bool forHover, int firstStep);
    void deliverHovered();
    void frameMade(const QString& name, int step, const QByteArray& jpeg);
    void stripMade(const QString& name, const QList<QByteArray>& frames);
    void stripFailed(const QString& name);
    void jobEnded(const QString& name);
    // The strip is whole in memory, being made, or cannot be made.
    bool known(const QString& name) const;
    // Memory holds frame `step` of the strip.
    bool hasFrame(const QString& name, int step) const;
    // Keeps the frames of a strip cut short by thumbnails with those kept before.
    void keepPart(const QString& name, const QList<QByteArray>& frames);

    std::shared_ptr<PreviewStripCache> cache_;
    ThumbnailPool& pool_;
    std::shared_ptr<Outbox> outbox_;
    QCache<QString, Strip> memory_; // by the key's file name; cost in KB
    QSet<QString> failed_;          // files that gave no strip this session
    std::map<QString, Job> jobs_;   // strips being made
    Hover hover_;
    QList<PreviewVideo> prefetch_;
    int hoverJobs_ = 0;
    int prefetchJobs_ = 0;
};

} // namespace tavimo::media
