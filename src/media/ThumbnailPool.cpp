#include "media/ThumbnailPool.h"

#include "core/Colors.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"

#include <QPainter>
#include <QThread>

namespace tavimo::media {

ThumbnailPool::ThumbnailPool(int threads, QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));
}

ThumbnailPool::~ThumbnailPool() {
    cancel();
    // Workers post their results to this object; none may still run once it is gone.
    pool_.waitForDone();
}

namespace {

// The 120 x 90 thumbnail: the picture (already of its place's size) centred on black, the
// bottom-left pixel in `corner`. A null picture leaves it black.
QImage framed(const QImage& picture, const QColor& corner) {
    QImage thumb =
        imagefunc::solidBitmap(imagefunc::kThumbWidth, imagefunc::kThumbHeight, Qt::black);
    if (!picture.isNull()) {
        QPainter painter(&thumb);
        painter.drawImage(
            QPoint((thumb.width() - picture.width()) / 2, (thumb.height() - picture.height()) / 2),
            picture);
    }
    thumb.setPixelColor(0, imagefunc::kThumbHeight - 1, corner);
    return thumb;
}

} // namespace

Thumbnail ThumbnailPool::make(const QString& path, GrabPoint point, const QColor& corner) {
    // A grabber holds decoder state and is not shared: one per worker thread, kept for the
    // thread's life so its converter's buffers are reused from file to file.
    thread_local FrameGrabber grabber;
    // Scaled by the grabber straight to its place in the thumbnail: no picture of the video's
    // full size is ever made.
    GrabResult grab = grabber.grab(path, point, {imagefunc::kThumbWidth, imagefunc::kThumbHeight});
    Thumbnail thumbnail;
    thumbnail.outcome = grab.outcome;
    thumbnail.error = grab.error;
    if (!thumbnail.built())
        return thumbnail;
    // A file built without a picture (audio only, or frames too large) is black.
    thumbnail.bitmap = framed(grab.picture, corner);
    thumbnail.jpeg = jpeg::encode(thumbnail.bitmap);
    return thumbnail;
}

Thumbnail ThumbnailPool::make(const QString& path, GrabPoint point) {
    return make(path, point, colors::buttonFace());
}

int ThumbnailPool::start(const QStringList& paths, GrabPoint point) {
    cancel();
    ++run_;
    paths_ = paths;
    point_ = point;
    corner_ = colors::buttonFace();
    running_ = true;
    submitted_ = 0;
    delivered_ = 0;
    submitMore();
    if (paths_.isEmpty())
        QMetaObject::invokeMethod(this, &ThumbnailPool::deliver, Qt::QueuedConnection);
    return run_;
}

void ThumbnailPool::cancel() {
    running_ = false;
    pool_.clear(); // tasks not started yet; those in work finish and are ignored
    ready_.clear();
    paths_.clear();
}

void ThumbnailPool::submitMore() {
    // Enough work to keep every thread busy while the receiver waits for the next file in
    // order, but no more: results past the next one are held in memory until their turn.
    const int inFlightLimit = 2 * pool_.maxThreadCount() + 1;
    while (running_ && submitted_ < paths_.size() && submitted_ - delivered_ < inFlightLimit) {
        const int run = run_;
        const int index = submitted_++;
        const QString path = paths_.at(index);
        const GrabPoint point = point_;
        const QColor corner = corner_;
        pool_.start([this, run, index, path, point, corner] {
            Thumbnail thumbnail = make(path, point, corner);
            QMetaObject::invokeMethod(
                this,
                [this, run, index, thumbnail = std::move(thumbnail)] {
                    arrived(run, index, thumbnail);
                },
                Qt::QueuedConnection);
        });
    }
}

void ThumbnailPool::arrived(int run, int index, const Thumbnail& thumbnail) {
    if (!running_ || run != run_)
        return; // a cancelled run
    ready_.emplace(index, thumbnail);
    deliver();
}

void ThumbnailPool::deliver() {
    // A slot that opens a dialog lets further results arrive; the outer call hands them over.
    if (delivering_)
        return;
    delivering_ = true;
    while (running_) {
        const auto next = ready_.find(delivered_);
        if (next == ready_.end())
            break;
        const Thumbnail thumbnail = std::move(next->second);
        ready_.erase(next);
        const int index = delivered_++;
        submitMore();
        Q_EMIT made(run_, index, thumbnail);
    }
    delivering_ = false;
    if (running_ && delivered_ == paths_.size()) {
        running_ = false;
        paths_.clear();
        Q_EMIT finished(run_);
    }
}

} // namespace tavimo::media
