#include "media/PreviewSource.h"

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

namespace tavimo::media {

namespace {

// The worker's niceness: while a video plays, its decoder and the drawing of its frames get
// the processor first, and previews take what is left (of two cores, plenty).
constexpr int kWorkerNiceness = 10;

// Linux keeps a niceness per thread; a thread may lower its own priority but not raise it
// again, so this is done only on threads that do nothing else.
void lowerThisThreadsPriority() {
    thread_local bool lowered = false;
    if (!lowered) {
        setpriority(PRIO_PROCESS, id_t(gettid()), kWorkerNiceness);
        lowered = true;
    }
}

// Frames that cost about as much as `pixels` to decode, for a video of `size`.
int framesFor(qint64 pixels, QSize size) {
    const qint64 each = std::max<qint64>(1, qint64(size.width()) * size.height());
    return int(std::clamp<qint64>(pixels / each, 1, 100000));
}

// Going on to the exact frame costs about one keyframe: it comes without the keyframe first.
constexpr qint64 kQuickPixels = 20LL * 1000 * 1000;

} // namespace

PreviewSource::PreviewSource(QObject* parent) : QObject(parent) {
    worker_.setMaxThreadCount(1);
}

PreviewSource::~PreviewSource() {
    {
        std::lock_guard lock(shared_.mutex);
        shared_.closing = true;
    }
    worker_.clear();
    // Work in progress posts to this object; it ends at its next frame.
    worker_.waitForDone();
}

void PreviewSource::request(quint64 video, const QString& path, qint64 position, QSize box) {
    Video& v = videos_[video];
    if (!path.isEmpty() && path == v.failedPath && !v.working) {
        QMetaObject::invokeMethod(
            this,
            [this, video] {
                if (videos_.contains(video))
                    Q_EMIT unavailable(video);
            },
            Qt::QueuedConnection);
        return;
    }
    const Request request{++requests_, path, position, box};
    if (v.since == 0)
        v.since = request.number;
    v.newest = request.number;
    {
        std::lock_guard lock(shared_.mutex);
        shared_.newest[video] = request.number;
    }
    if (v.working)
        v.waiting = request; // replaces one that waited before
    else
        start(video, request);
}

void PreviewSource::close(quint64 video) {
    videos_.remove(video);
    std::lock_guard lock(shared_.mutex);
    shared_.newest.remove(video);
    shared_.decoders.remove(video); // work in progress keeps its own reference until it ends
    shared_.lastUse.remove(video);
}

void PreviewSource::start(quint64 video, const Request& request) {
    videos_[video].working = true;
    worker_.start([this, video, request] { work(video, request); });
}

bool PreviewSource::replaced(quint64 video, quint64 number) {
    std::lock_guard lock(shared_.mutex);
    return shared_.closing || shared_.newest.value(video) != number;
}

std::shared_ptr<PreviewDecoder> PreviewSource::decoderFor(quint64 video, const QString& path) {
    {
        std::lock_guard lock(shared_.mutex);
        const auto it = shared_.decoders.constFind(video);
        if (it != shared_.decoders.constEnd() && (*it)->path() == path) {
            shared_.lastUse[video] = ++shared_.uses;
            return *it;
        }
    }
    // Opened without the lock: it reads the file.
    auto decoder = std::make_shared<PreviewDecoder>();
    if (!decoder->open(path))
        return nullptr;
    std::lock_guard lock(shared_.mutex);
    if (!shared_.newest.contains(video))
        return decoder; // closed meanwhile: used for this request only
    shared_.decoders.insert(video, decoder);
    shared_.lastUse[video] = ++shared_.uses;
    while (shared_.decoders.size() > kOpenDecoders) {
        const auto oldest = std::min_element(shared_.lastUse.cbegin(), shared_.lastUse.cend());
        const quint64 gone = oldest.key();
        shared_.lastUse.remove(gone);
        shared_.decoders.remove(gone);
    }
    return decoder;
}

void PreviewSource::work(quint64 video, const Request& request) {
    lowerThisThreadsPriority();
    const auto post = [this, video, number = request.number](PreviewFrame frame) {
        QMetaObject::invokeMethod(
            this,
            [this, video, number, frame = std::move(frame)] { arrived(video, number, frame); },
            Qt::QueuedConnection);
    };
    const auto done = [this, video, number = request.number, path = request.path](bool failed) {
        QMetaObject::invokeMethod(
            this,
            [this, video, number, failed = failed ? path : QString()] {
                finished(video, number, failed);
            },
            Qt::QueuedConnection);
    };
    bool gone = false;
    {
        std::lock_guard lock(shared_.mutex);
        gone = shared_.closing || !shared_.newest.contains(video);
    }
    if (gone) { // closed before its turn came, or the program is ending
        done(false);
        return;
    }
    const std::shared_ptr<PreviewDecoder> decoder = decoderFor(video, request.path);
    if (!decoder) {
        done(true);
        return;
    }
    const auto stop = [this, video, number = request.number] { return replaced(video, number); };
    const QSize size = decoder->displaySize();
    const int cost = decoder->framesToReach(request.position);
    // Near the frame decoded last, or just after a keyframe: the exact frame at once.
    if (cost >= 0 && cost <= framesFor(kQuickPixels, size)) {
        PreviewFrame exact = decoder->frameAt(request.position, request.box, cost + 1, stop);
        if (!exact.isNull()) {
            post(std::move(exact));
            done(false);
            return;
        }
    }
    PreviewFrame first = decoder->keyframeNear(request.position, request.box);
    if (first.isNull()) {
        done(true);
        return;
    }
    const bool exactAlready = first.exact;
    post(std::move(first));
    const int budget = framesFor(kExactPixelBudget, size);
    if (!exactAlready && !stop() && decoder->framesToReach(request.position) <= budget) {
        PreviewFrame exact = decoder->frameAt(request.position, request.box, budget, stop);
        if (!exact.isNull())
            post(std::move(exact));
    }
    done(false);
}

void PreviewSource::arrived(quint64 video, quint64 number, const PreviewFrame& frame) {
    const auto it = videos_.find(video);
    if (it == videos_.end() || number < it->since)
        return; // closed since
    // A keyframe of the request in work shows even when a newer one waits; an exact frame
    // only while its request is the newest. Nothing older than what was shown last.
    if (frame.exact ? number != it->newest : number < it->delivered)
        return;
    it->delivered = number;
    Q_EMIT frameReady(video, frame);
}

void PreviewSource::finished(quint64 video, quint64 number, const QString& failedPath) {
    const auto it = videos_.find(video);
    if (it == videos_.end() || number < it->since)
        return;
    it->working = false;
    std::optional<Request> next = std::move(it->waiting);
    it->waiting.reset();
    if (!failedPath.isEmpty()) {
        // The same file would fail again: a request for it waiting now, or made later, is
        // answered at once.
        it->failedPath = failedPath;
        if (next && next->path == failedPath)
            next.reset();
        Q_EMIT unavailable(video);
    }
    if (next && videos_.contains(video)) // the receiver may have closed it
        start(video, *next);
}

} // namespace tavimo::media
