#pragma once

#include "media/FrameGrabber.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <QThreadPool>
#include <atomic>
#include <map>

namespace tavimo::media {

// One file's thumbnail as the pool made it.
struct Thumbnail {
    GrabOutcome outcome = GrabOutcome::Failed;
    // Built: the 120 x 90 picture (black, apart from the corner pixel, when the file gave no
    // frame) and its JPEG of quality 90. Null and empty otherwise.
    QImage bitmap;
    QByteArray jpeg;
    QString error; // why the file was not built, for messages

    bool built() const { return outcome == GrabOutcome::Built; }
};

// Makes the thumbnails of a list of files on worker threads: one frame grabber per thread, one
// file per task. Results come back on the thread that owns the pool, one `made` signal per
// file in the order of the list, whatever order the workers finish in; then `finished`.
//
// A receiver may open a modal dialog from its `made` slot: results that arrive meanwhile wait,
// and are handed over in order once the slot has returned. Only a few files more than there
// are threads are in work at a time, so a long list holds little memory and a cancelled run
// stops soon.
//
// The pool belongs to the interface thread: start() reads the palette's button colour there
// for the corner pixel of the run's thumbnails, since workers must not touch the palette.
class ThumbnailPool : public QObject {
    Q_OBJECT
public:
    // threads 0: one per core.
    explicit ThumbnailPool(int threads = 0, QObject* parent = nullptr);
    ~ThumbnailPool() override;

    int threadCount() const { return pool_.maxThreadCount(); }
    // The worker threads, for other work on video files (preview strips), queued with a lower
    // priority than thumbnails. cancel() drops what is queued there too: such work must end
    // cleanly when its task is destroyed without running.
    QThreadPool& threads() { return pool_; }

    // Starts making thumbnails of paths; a run still going is cancelled first. Returns the
    // run's number, which the signals carry. An empty list finishes at once (queued).
    int start(const QStringList& paths, GrabPoint point);
    // Stops the current run: nothing more of it is delivered, not even `finished`.
    void cancel();
    // Safe from any thread: preview strips on the workers ask it to give way to thumbnails.
    bool isRunning() const { return running_; }

    // Makes one thumbnail on the calling thread (with that thread's grabber); `corner` is the
    // colour of its bottom-left pixel (the colour the picture button treats as transparent).
    static Thumbnail make(const QString& path, GrabPoint point, const QColor& corner);
    // The same with the palette's button colour: on the interface thread only.
    static Thumbnail make(const QString& path, GrabPoint point);

Q_SIGNALS:
    void made(int run, int index, const tavimo::media::Thumbnail& thumbnail);
    void finished(int run);

private:
    void submitMore();
    void arrived(int run, int index, const Thumbnail& thumbnail);
    void deliver();

    QThreadPool pool_;
    QStringList paths_;
    GrabPoint point_ = GrabPoint::FirstFrame;
    QColor corner_; // read on this object's thread when the run starts
    int run_ = 0;
    std::atomic<bool> running_ = false;
    int submitted_ = 0;              // files handed to workers
    int delivered_ = 0;              // files handed to the receiver
    std::map<int, Thumbnail> ready_; // made, waiting for their turn
    bool delivering_ = false;        // a `made` slot is running (perhaps a modal dialog)
};

} // namespace tavimo::media
