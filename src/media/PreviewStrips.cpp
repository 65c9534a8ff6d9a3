#include "media/PreviewStrips.h"

#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/PreviewSteps.h"
#include "media/PreviewDecoder.h"
#include "media/ThumbnailPool.h"

#include <QThreadPool>
#include <algorithm>
#include <functional>
#include <mutex>

namespace tavimo::media {

// Where workers send what they made: this object while it lives, nowhere after.
struct PreviewStrips::Outbox {
    std::mutex mutex;
    PreviewStrips* target = nullptr;

    // Runs call(strips) on the strips' thread, unless they are gone by then.
    template <typename F> void post(F&& call) {
        std::lock_guard lock(mutex);
        if (target)
            QMetaObject::invokeMethod(
                target, [strips = target, call = std::forward<F>(call)] { call(*strips); },
                Qt::QueuedConnection);
    }
};

namespace {

constexpr int kSteps = preview::kSteps;
// Queue priorities on the thumbnail pool, below its thumbnails (0).
constexpr int kHoverPriority = -1;
constexpr int kPrefetchPriority = -2;
// Strips kept in memory, as JPEG: about 300 strips of 120 x 90.
constexpr int kMemoryKb = 16 * 1024;

// The frame of one step: the nearest keyframe when it lies within half a step, else the exact
// frame when decoding to it is cheap, else the nearest keyframe all the same.
PreviewFrame stepFrame(PreviewDecoder& decoder, int step, int budget) {
    const qint64 duration = decoder.duration();
    const qint64 position = preview::stepPosition(step, duration);
    const qint64 distance = decoder.keyframeDistance(position);
    const bool keyframeWillDo = distance >= 0 && distance <= duration / (2 * kSteps);
    if (!keyframeWillDo) {
        const int cost = decoder.framesToReach(position);
        if (cost >= 0 && cost <= budget) {
            PreviewFrame exact = decoder.frameAt(position, PreviewStrips::frameBox(), budget);
            if (!exact.isNull())
                return exact;
        }
    }
    return decoder.keyframeNear(position, PreviewStrips::frameBox());
}

} // namespace

PreviewStrips::PreviewStrips(std::shared_ptr<PreviewStripCache> cache, ThumbnailPool& pool,
                             QObject* parent)
    : QObject(parent), cache_(std::move(cache)), pool_(pool), outbox_(std::make_shared<Outbox>()),
      memory_(kMemoryKb) {
    outbox_->target = this;
    // Strips of the cells on screen wait while thumbnails are made.
    connect(&pool_, &ThumbnailPool::finished, this, &PreviewStrips::schedule);
}

PreviewStrips::~PreviewStrips() {
    {
        std::lock_guard lock(outbox_->mutex);
        outbox_->target = nullptr;
    }
    for (auto& [name, job] : jobs_)
        job.cancel->store(true);
}

QSize PreviewStrips::frameBox() {
    return {imagefunc::kThumbWidth, imagefunc::kThumbHeight};
}

bool PreviewStrips::known(const QString& name) const {
    const Strip* strip = memory_.object(name);
    return (strip && strip->whole) || failed_.contains(name) || jobs_.count(name) > 0;
}

bool PreviewStrips::hasFrame(const QString& name, int step) const {
    const Strip* strip = memory_.object(name);
    return strip && !strip->frames.at(step).isEmpty();
}

void PreviewStrips::keepPart(const QString& name, const QList<QByteArray>& frames) {
    const Strip* kept = memory_.object(name);
    QList<QByteArray> part = kept ? kept->frames : QList<QByteArray>(kSteps);
    qsizetype bytes = 0;
    for (int step = 0; step < kSteps; ++step) {
        if (!frames.at(step).isEmpty())
            part[step] = frames.at(step);
        bytes += part.at(step).size();
    }
    if (bytes > 0)
        memory_.insert(name, new Strip{part, false}, int(bytes / 1024 + 1));
}

void PreviewStrips::hover(quint64 video, const QString& path, int step) {
    step = std::clamp(step, 0, kSteps - 1);
    if (!hover_.active || hover_.video != video || hover_.path != path) {
        // A strip made only because its cell was hovered stops when the pointer moves on; it
        // is made again, whole, when its cell is wanted.
        if (hover_.active && hover_.key) {
            const auto it = jobs_.find(hover_.key->fileName());
            if (it != jobs_.end() && it->second.forHover)
                it->second.cancel->store(true);
        }
        hover_ = Hover{true, video, path, PreviewKey::of(path), step};
    }
    hover_.step = step;
    deliverHovered();
    schedule();
}

void PreviewStrips::leave() {
    hover_ = Hover{};
}

void PreviewStrips::prefetch(const QList<PreviewVideo>& videos) {
    prefetch_ = videos;
    schedule();
}

void PreviewStrips::deliverHovered() {
    if (!hover_.active)
        return;
    const quint64 video = hover_.video;
    if (!hover_.key || failed_.contains(hover_.key->fileName())) {
        if (!hover_.told) {
            hover_.told = true;
            QMetaObject::invokeMethod(
                this,
                [this, video] {
                    if (hover_.active && hover_.video == video)
                        Q_EMIT unavailable(video);
                },
                Qt::QueuedConnection);
        }
        return;
    }
    const int step = hover_.step;
    if (hover_.delivered == step)
        return;
    const QString name = hover_.key->fileName();
    QByteArray jpeg;
    if (const Strip* strip = memory_.object(name))
        jpeg = strip->frames.at(step);
    if (const auto job = jobs_.find(name); jpeg.isEmpty() && job != jobs_.end())
        jpeg = job->second.frames.at(step);
    if (jpeg.isEmpty())
        return; // delivered when it is made
    hover_.delivered = step;
    QMetaObject::invokeMethod(
        this,
        [this, video, step, jpeg] {
            // Decoded here, not earlier: a pointer that moved on meanwhile costs nothing.
            if (hover_.active && hover_.video == video && hover_.step == step)
                Q_EMIT stepReady(video, step, jpeg::decode(jpeg));
        },
        Qt::QueuedConnection);
}

void PreviewStrips::schedule() {
    if (hover_.active && hover_.key && hoverJobs_ == 0) {
        const QString name = hover_.key->fileName();
        // While thumbnails are made, only a frame the pointer rests on that memory lacks, and
        // that was not tried already (a damaged stretch).
        const bool waits =
            pool_.isRunning() && (hasFrame(name, hover_.step) || hover_.tried == hover_.step);
        if (!known(name) && !waits)
            startJob(*hover_.key, true, hover_.step);
    }
    while (prefetchJobs_ == 0 && !pool_.isRunning() && !prefetch_.isEmpty()) {
        const PreviewVideo next = prefetch_.takeFirst();
        const std::optional<PreviewKey> key = PreviewKey::of(next.path);
        if (key && !known(key->fileName())) {
            startJob(*key, false, 0);
            jobs_[key->fileName()].prefetched = next;
        }
    }
}

void PreviewStrips::startJob(const PreviewKey& key, bool forHover, int firstStep) {
    const QString name = key.fileName();
    Job& job = jobs_[name];
    job.key = key;
    job.frames = QList<QByteArray>(kSteps);
    job.cancel = std::make_shared<std::atomic<bool>>(false);
    job.forHover = forHover;
    job.firstStep = firstStep;
    ++(forHover ? hoverJobs_ : prefetchJobs_);

    // Ends the job on this thread however the worker leaves it, even when the pool's queue
    // is cleared before it runs (the task is then destroyed unrun). Made in place and never
    // copied: a copy going would end the job while its work is still to come, and the job
    // would be started again at once, over and over.
    struct Ending {
        explicit Ending(std::function<void()> c) : call(std::move(c)) {}
        Ending(const Ending&) = delete;
        Ending& operator=(const Ending&) = delete;
        ~Ending() { call(); }
        std::function<void()> call;
    };
    const auto outbox = outbox_;
    auto ending = std::make_shared<Ending>(
        [outbox, name] { outbox->post([name](PreviewStrips& s) { s.jobEnded(name); }); });
    const auto cache = cache_;
    const auto cancel = job.cancel;
    // The pool outlives the tasks it runs.
    ThumbnailPool* const pool = &pool_;
    pool_.threads().start(
        [ending, outbox, cache, cancel, pool, forHover, key, name, firstStep] {
            if (std::optional<QList<QByteArray>> strip = cache->load(key)) {
                outbox->post(
                    [name, frames = *strip](PreviewStrips& s) { s.stripMade(name, frames); });
                return;
            }
            // Thumbnails being made take the pool back: a strip for the cell under the pointer
            // stops after its first frame, one for a cell on screen at once.
            int framesMade = 0;
            bool stopped = false;
            const std::optional<QList<QByteArray>> strip = make(
                key.path, firstStep,
                [&](int step, const QByteArray& jpeg) {
                    ++framesMade;
                    outbox->post(
                        [name, step, jpeg](PreviewStrips& s) { s.frameMade(name, step, jpeg); });
                },
                [&] {
                    stopped =
                        cancel->load() || (pool->isRunning() && (!forHover || framesMade > 0));
                    return stopped;
                });
            if (!strip) {
                if (!stopped)
                    outbox->post([name](PreviewStrips& s) { s.stripFailed(name); });
                return;
            }
            cache->store(key, *strip);
            outbox->post([name, frames = *strip](PreviewStrips& s) { s.stripMade(name, frames); });
        },
        forHover ? kHoverPriority : kPrefetchPriority);
}

std::optional<QList<QByteArray>>
PreviewStrips::make(const QString& path, int firstStep,
                    const std::function<void(int, const QByteArray&)>& made,
                    const std::function<bool()>& cancelled) {
    PreviewDecoder decoder;
    if (!decoder.open(path))
        return std::nullopt;
    const QSize size = decoder.displaySize();
    const int budget = int(std::clamp<qint64>(
        kExactPixelBudget / std::max<qint64>(1, qint64(size.width()) * size.height()), 1, 10000));
    QList<QByteArray> frames(kSteps);
    QList<int> order{std::clamp(firstStep, 0, kSteps - 1)};
    for (int step = 0; step < kSteps; ++step)
        if (step != order.first())
            order.append(step);
    for (int step : order) {
        if (cancelled && cancelled())
            return std::nullopt;
        const PreviewFrame frame = stepFrame(decoder, step, budget);
        if (frame.isNull())
            continue;
        frames[step] = jpeg::encode(frame.picture);
        if (made && !frames.at(step).isEmpty())
            made(step, frames.at(step));
    }
    // A step that gave no frame (a damaged stretch) shows the one before it, or after.
    const auto first = std::find_if(frames.begin(), frames.end(),
                                    [](const QByteArray& f) { return !f.isEmpty(); });
    if (first == frames.end())
        return std::nullopt;
    QByteArray last = *first;
    for (QByteArray& frame : frames)
        last = frame.isEmpty() ? (frame = last) : frame;
    return frames;
}

void PreviewStrips::frameMade(const QString& name, int step, const QByteArray& jpeg) {
    const auto it = jobs_.find(name);
    if (it == jobs_.end())
        return;
    it->second.frames[step] = jpeg;
    if (hover_.active && hover_.key && hover_.key->fileName() == name)
        deliverHovered();
}

void PreviewStrips::stripMade(const QString& name, const QList<QByteArray>& frames) {
    qsizetype bytes = 0;
    for (const QByteArray& frame : frames)
        bytes += frame.size();
    memory_.insert(name, new Strip{frames}, int(bytes / 1024 + 1));
    if (hover_.active && hover_.key && hover_.key->fileName() == name)
        deliverHovered();
}

void PreviewStrips::stripFailed(const QString& name) {
    failed_.insert(name);
    if (hover_.active && hover_.key && hover_.key->fileName() == name)
        deliverHovered();
}

void PreviewStrips::jobEnded(const QString& name) {
    const auto it = jobs_.find(name);
    if (it == jobs_.end())
        return;
    const Job& job = it->second;
    --(job.forHover ? hoverJobs_ : prefetchJobs_);
    const Strip* strip = memory_.object(name);
    if (!(strip && strip->whole) && !failed_.contains(name)) {
        // Cut short: what it made is kept, and the cell on screen it was for is next again.
        keepPart(name, job.frames);
        if (job.forHover && hover_.key && hover_.key->fileName() == name)
            hover_.tried = job.firstStep;
        const auto listed = [&](const PreviewVideo& v) { return v.path == job.key.path; };
        if (job.prefetched && std::none_of(prefetch_.begin(), prefetch_.end(), listed))
            prefetch_.prepend(*job.prefetched);
    }
    jobs_.erase(it);
    schedule();
}

} // namespace tavimo::media
