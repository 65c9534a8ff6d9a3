#pragma once

#include "media/PreviewDecoder.h"

#include <QHash>
#include <QObject>
#include <QThreadPool>
#include <memory>
#include <mutex>
#include <optional>

namespace tavimo::media {

// Frames of videos at any time, for the player's seek bar: the pointer over the bar asks for
// the frame at the time under it, and the picture comes back by a signal on this object's
// thread (the interface thread). Decoding runs on a worker thread of its own, with a demuxer
// and decoder per video kept open while it is looked at, never with the player's; the worker
// runs at a lower scheduling priority than the rest of the program, so that a video playing
// meanwhile keeps every frame.
//
// Requests are keyed by video (any number the caller chooses, such as a row id). Each video
// has at most one request in work; a request made meanwhile waits, and a newer one replaces
// it before it starts. The request in work always delivers its nearest keyframe, so a pointer
// that never rests still sees pictures follow it; its exact frame comes only while it is
// still the newest request.
class PreviewSource : public QObject {
    Q_OBJECT
public:
    explicit PreviewSource(QObject* parent = nullptr);
    ~PreviewSource() override;

    // The frame of `path` shown at `position` (100 ns), fitted into `box` at the display
    // aspect (an empty box: the display size). frameReady follows, first with the keyframe
    // nearest the time, then, where the exact frame can be decoded cheaply and no newer
    // request came, with that frame. A file without a video that decodes gives `unavailable`
    // instead. Only regular files are opened.
    void request(quint64 video, const QString& path, qint64 position, QSize box);
    // Nothing more is delivered for `video` (until its next request), and its decoder closes.
    void close(quint64 video);

    // Decoders kept open at once; the one looked at least recently is closed first.
    static constexpr int kOpenDecoders = 2;
    // The most frames decoded forward from a keyframe for an exact frame, as pixels: about
    // four seconds of 1080p video, twenty of 640 x 480.
    static constexpr qint64 kExactPixelBudget = 200LL * 1000 * 1000;

Q_SIGNALS:
    void frameReady(quint64 video, const tavimo::media::PreviewFrame& frame);
    void unavailable(quint64 video);

private:
    struct Request {
        quint64 number = 0;
        QString path;
        qint64 position = 0;
        QSize box;
    };
    // Interface thread.
    struct Video {
        quint64 since = 0;              // the first request after the video was last closed
        quint64 newest = 0;             // the newest request
        quint64 delivered = 0;          // the newest request that delivered a picture
        bool working = false;           // a request is in work
        std::optional<Request> waiting; // the newest request, waiting for that one
        QString failedPath;             // a file that gave no picture
    };
    // Shared with the worker, under `mutex`.
    struct Shared {
        std::mutex mutex;
        QHash<quint64, quint64> newest; // the newest request by video: older work stops
        QHash<quint64, std::shared_ptr<PreviewDecoder>> decoders;
        QHash<quint64, quint64> lastUse;
        quint64 uses = 0;
        bool closing = false;
    };

    void start(quint64 video, const Request& request);
    void arrived(quint64 video, quint64 number, const PreviewFrame& frame);
    void finished(quint64 video, quint64 number, const QString& failedPath);
    // Worker thread.
    void work(quint64 video, const Request& request);
    std::shared_ptr<PreviewDecoder> decoderFor(quint64 video, const QString& path);
    bool replaced(quint64 video, quint64 number);

    QHash<quint64, Video> videos_;
    quint64 requests_ = 0;
    Shared shared_;
    QThreadPool worker_; // last: its work ends before the rest goes
};

} // namespace tavimo::media
