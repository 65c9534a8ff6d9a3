#include "media/PlayerEngine.h"

#include "media/MpvScreenshot.h"

#include <QMetaObject>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <mpv/client.h>

namespace tavimo::media {

namespace {

constexpr double unitsPerSecond = 10'000'000.0;

enum Observed : uint64_t { TimePos = 1, Pause, EofReached, Duration };

// reply_userdata of a loadfile: this bit and the generation of the opening that sent it.
constexpr uint64_t loadReply = uint64_t(1) << 63;
// reply_userdata of a seek: this bit and the seek's number.
constexpr uint64_t seekReply = uint64_t(1) << 62;

// The playlist entry id in loadfile's answer; 0 when libmpv gives none.
int64_t entryIdOf(const mpv_node& result) {
    if (result.format != MPV_FORMAT_NODE_MAP)
        return 0;
    for (int i = 0; i < result.u.list->num; ++i)
        if (!std::strcmp(result.u.list->keys[i], "playlist_entry_id") &&
            result.u.list->values[i].format == MPV_FORMAT_INT64)
            return result.u.list->values[i].u.int64;
    return 0;
}

} // namespace

double mpvVolume(int volume) {
    volume = std::clamp(volume, 0, 10000);
    if (volume == 0)
        return 0;
    const double attenuation = std::round(std::log(volume + 1.0) * 1085.73) - 10000.0;
    return 100.0 * std::pow(10.0, attenuation / 6000.0);
}

PlayerEngine::PlayerEngine(Output output, QObject* parent)
    : PlayerEngine(output, LibmpvOptions{}, parent) {}

PlayerEngine::PlayerEngine(Output output, const LibmpvOptions& extra, QObject* parent)
    : QObject(parent) {
    probePool_.setMaxThreadCount(1);
    mpv_ = mpv_create();
    if (!mpv_) {
        unavailable_ = QStringLiteral("libmpv could not be started");
        qWarning("%s", qPrintable(unavailable_));
        return;
    }
    const bool headless = output == Output::Headless;
    const char* options[][2] = {
        {"vo", headless ? "null" : "libmpv"},
        {"ao", output == Output::Surface ? "pulse,alsa,jack,null" : "null"},
        {"idle", "yes"},
        {"keep-open", "yes"}, // at the end the last picture stays and the player pauses
        {"pause", "yes"},
        {"hr-seek", "yes"},
        {"keepaspect", "no"},    // the program chooses the destination rectangle itself
        {"audio-display", "no"}, // cover pictures of audio files are not video
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"terminal", "no"},
        {"hwdec", "no"},
        // The file given and nothing else: no references, no segments in other files.
        {"access-references", "no"},
        {"ordered-chapters", "no"},
    };
    for (const auto& [name, value] : options)
        mpv_set_option_string(mpv_, name, value);
    for (const auto& [name, value] : extra)
        mpv_set_option_string(mpv_, name.constData(), value.constData());
    if (const int rc = mpv_initialize(mpv_); rc < 0) {
        unavailable_ = QStringLiteral("libmpv could not be initialised: %1")
                           .arg(QString::fromUtf8(mpv_error_string(rc)));
        qWarning("%s", qPrintable(unavailable_));
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        return;
    }
    mpv_observe_property(mpv_, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, Pause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, EofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, Duration, "duration", MPV_FORMAT_DOUBLE);
    mpv_set_wakeup_callback(mpv_, &PlayerEngine::wakeUp, this);
    setNumber("volume", mpvVolume(volume_));
}

PlayerEngine::~PlayerEngine() {
    probePool_.waitForDone();
    if (!mpv_)
        return;
    Q_EMIT aboutToShutDown();
    // After this returns libmpv calls wakeUp no more; queued drains die with this object.
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
}

void PlayerEngine::wakeUp(void* self) {
    auto* engine = static_cast<PlayerEngine*>(self);
    if (!engine->drainQueued_.exchange(true))
        QMetaObject::invokeMethod(engine, &PlayerEngine::drainEvents, Qt::QueuedConnection);
}

void PlayerEngine::drainEvents() {
    drainQueued_ = false;
    while (mpv_) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handle(*event);
    }
}

void PlayerEngine::command(std::initializer_list<const char*> args) {
    if (!mpv_)
        return;
    std::vector<const char*> list(args);
    list.push_back(nullptr);
    mpv_command_async(mpv_, 0, list.data());
}

void PlayerEngine::setFlag(const char* name, bool value) {
    if (!mpv_)
        return;
    int flag = value ? 1 : 0;
    mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_FLAG, &flag);
}

void PlayerEngine::setNumber(const char* name, double value) {
    if (!mpv_)
        return;
    mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_DOUBLE, &value);
}

void PlayerEngine::setActive(bool on) {
    if (on == active_)
        return;
    if (!on)
        closeFile();
    active_ = on;
    if (on)
        Q_EMIT activated();
}

void PlayerEngine::resetFile() {
    ++generation_;
    opening_ = false;
    loaded_ = false;
    stopped_ = false;
    eof_ = false;
    entryId_ = 0;
    takeNextStart_ = false;
    loadSent_ = false;
    mpvLoaded_ = false;
    factsIn_ = false;
    mpvError_.clear();
    stepFrom_.reset();
    facts_ = {};
    path_.clear();
    timePos_ = 0;
    duration_ = 0;
    seekTarget_.reset();
    stopAt_.reset();
    audioTrack_ = 0;
    if (source_.isValid()) {
        source_ = {};
        command({"vf", "remove", "@crop"});
    }
}

void PlayerEngine::closeFile() {
    const bool busy = loadSent_ || loaded_;
    resetFile();
    if (busy)
        command({"stop"});
}

void PlayerEngine::renderFile(const QString& path) {
    closeFile();
    if (!mpv_) {
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT rendered(RenderFailed, unavailable_); }, Qt::QueuedConnection);
        return;
    }
    if (!active_) {
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT rendered(RenderPartial, QStringLiteral("not active")); },
            Qt::QueuedConnection);
        return;
    }
    opening_ = true;
    path_ = path;
    const quint64 generation = generation_;
    // FFmpeg reads the file on a worker (bounded to a few seconds). As soon as it knows the
    // file is one video in a format that opens no other, libmpv starts opening it on its own
    // threads while FFmpeg goes on reading the tracks; the interface thread only hears the
    // answers, and the file is open when both have answered.
    probePool_.start([this, generation, path] {
        MediaFacts facts = readMediaFacts(path, [this, generation] {
            QMetaObject::invokeMethod(
                this, [this, generation] { accepted(generation); }, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this, [this, generation, facts] { probed(generation, facts); }, Qt::QueuedConnection);
    });
}

void PlayerEngine::accepted(quint64 generation) {
    if (generation != generation_ || !opening_)
        return; // abandoned
    paused_ = true;
    setFlag("pause", true);
    load(generation, {});
}

void PlayerEngine::load(quint64 generation, const QByteArray& options) {
    entryId_ = 0;
    takeNextStart_ = false;
    mpvLoaded_ = false;
    mpvError_.clear();
    const QByteArray file = path_.toUtf8();
    const char* args[] = {"loadfile", file.constData(), "replace", options.constData(), nullptr};
    loadSent_ = true;
    if (mpv_command_async(mpv_, loadReply | generation, args) < 0)
        finishRender(RenderFailed, QStringLiteral("libmpv refused to open the file"));
}

void PlayerEngine::loadAnswered(quint64 generation, const mpv_event& event) {
    if (generation != generation_ || !opening_)
        return; // the answer to an abandoned opening
    if (event.error < 0) {
        finishRender(RenderFailed, QString::fromUtf8(mpv_error_string(event.error)));
        return;
    }
    entryId_ = entryIdOf(static_cast<const mpv_event_command*>(event.data)->result);
    // The answer comes before the START_FILE of its entry: an older libmpv that does not
    // name the entry starts this file next.
    takeNextStart_ = entryId_ == 0;
}

void PlayerEngine::probed(quint64 generation, const MediaFacts& facts) {
    if (generation != generation_ || !opening_)
        return; // abandoned
    // What the probe refused (not a regular file, a playlist, nothing playable) never
    // reached libmpv; what it could not read in the end is not opened either.
    if (!facts.opened) {
        finishRender(RenderFailed, facts.error);
        return;
    }
    facts_ = facts;
    factsIn_ = true;
    // libmpv gives up on a whole file when a track has no decoder: such a file is opened
    // again without that track (rare, so the second opening costs nothing in the common case).
    QStringList leaveOut;
    const TrackFacts* video = facts.firstVideo();
    if (video && !video->decodable)
        leaveOut << QStringLiteral("vid=no");
    for (const TrackFacts& t : facts.tracks)
        if (t.kind == TrackFacts::Kind::Audio && t.number == 1 && !t.decodable)
            leaveOut << QStringLiteral("aid=no");
    if (!leaveOut.isEmpty()) {
        load(generation, leaveOut.join(QLatin1Char(',')).toUtf8());
        return;
    }
    if (!mpvError_.isEmpty()) {
        finishRender(RenderFailed, mpvError_);
        return;
    }
    finishOpening();
}

void PlayerEngine::finishOpening() {
    if (!mpvLoaded_ || !factsIn_)
        return;
    loaded_ = true;
    stopped_ = true; // a file that has just opened is stopped, not paused
    eof_ = false;
    // libmpv's own duration follows as a property change; until then FFmpeg's stands. Asking
    // for it here would wait for libmpv's core, which is busy starting the decoders (up to a
    // fifth of a second was seen).
    setNumber("speed", rate_);
    setNumber("volume", mpvVolume(volume_));
    audioTrack_ = facts_.audioCount() > 0 ? 1 : 0;
    // A track without a decoder is left out by libmpv; the rest of the file plays.
    finishRender(facts_.undecodable > 0 ? RenderPartial : RenderComplete, {});
}

void PlayerEngine::finishRender(int code, const QString& error) {
    opening_ = false;
    if (code < 0) {
        const bool sent = loadSent_;
        resetFile();
        if (sent)
            command({"stop"});
    }
    Q_EMIT rendered(code, error);
}

void PlayerEngine::handle(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata & loadReply)
            loadAnswered(event.reply_userdata & ~loadReply, event);
        else if (event.reply_userdata & seekReply)
            seekAnswered(event.reply_userdata & ~seekReply, event.error);
        break;
    case MPV_EVENT_START_FILE:
        startedId_ = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        if (takeNextStart_ && opening_) {
            entryId_ = startedId_;
            takeNextStart_ = false;
        }
        break;
    case MPV_EVENT_FILE_LOADED:
        // FILE_LOADED belongs to the entry of the START_FILE before it.
        if (opening_ && entryId_ != 0 && startedId_ == entryId_) {
            mpvLoaded_ = true;
            finishOpening();
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end->playlist_entry_id != entryId_ || entryId_ == 0)
            break; // an earlier file's end
        if (end->reason == MPV_END_FILE_REASON_ERROR) {
            const QString why = QString::fromUtf8(mpv_error_string(end->error));
            if (opening_ && !factsIn_) {
                mpvError_ = why; // the tracks may tell how to open it after all
            } else if (opening_) {
                finishRender(RenderFailed, why);
            } else if (loaded_) {
                resetFile();
                Q_EMIT errorAbort();
            }
        } else if (end->reason == MPV_END_FILE_REASON_QUIT) {
            resetFile();
            Q_EMIT userAbort();
        } else if (end->reason == MPV_END_FILE_REASON_EOF && loaded_) {
            Q_EMIT endOfFile();
        }
        break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
        // A restart before libmpv has taken the latest seek (the start of the file, an earlier
        // seek) does not finish it.
        if (seekTarget_ && seeksAnswered_ == seeksSent_) {
            double pos = 0;
            if (mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &pos) >= 0)
                timePos_ = pos;
            seekTarget_.reset();
            Q_EMIT seekFinished();
        }
        break;
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* prop = static_cast<const mpv_event_property*>(event.data);
        if (event.reply_userdata == TimePos && prop->format == MPV_FORMAT_DOUBLE) {
            timePos_ = *static_cast<double*>(prop->data);
            if (stepFrom_ && timePos_ > *stepFrom_) {
                stepFrom_.reset();
                Q_EMIT seekFinished();
            }
            if (stopAt_ && !paused_ && loaded_ && timePos_ >= *stopAt_) {
                pause();
                Q_EMIT endOfFile();
            }
        } else if (event.reply_userdata == Pause && prop->format == MPV_FORMAT_FLAG) {
            paused_ = *static_cast<int*>(prop->data) != 0;
        } else if (event.reply_userdata == Duration && prop->format == MPV_FORMAT_DOUBLE) {
            if (mpvLoaded_) // not the file before this one
                duration_ = *static_cast<double*>(prop->data);
        } else if (event.reply_userdata == EofReached && prop->format == MPV_FORMAT_FLAG) {
            const bool eof = *static_cast<int*>(prop->data) != 0;
            if (eof && !eof_ && loaded_ && !opening_)
                Q_EMIT endOfFile();
            eof_ = eof;
        }
        break;
    }
    case MPV_EVENT_SHUTDOWN:
        if (loaded_) {
            resetFile();
            Q_EMIT userAbort();
        }
        break;
    default:
        break;
    }
}

bool PlayerEngine::play() {
    if (!loaded_ || opening_)
        return false;
    stopped_ = false;
    paused_ = false;
    setFlag("pause", false);
    if (eof_) // playing from the end reports the end again at once
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (loaded_ && eof_)
                    Q_EMIT endOfFile();
            },
            Qt::QueuedConnection);
    return true;
}

bool PlayerEngine::pause() {
    if (!loaded_)
        return false;
    stopped_ = false;
    paused_ = true;
    setFlag("pause", true);
    return true;
}

bool PlayerEngine::stop() {
    if (!loaded_)
        return active_;
    paused_ = true;
    setFlag("pause", true);
    stopped_ = true;
    return true;
}

PlayerEngine::State PlayerEngine::state() const {
    if (!active_)
        return Uninitialised;
    if (!loaded_ || stopped_)
        return Stopped;
    return paused_ ? Paused : Playing;
}

void PlayerEngine::setVolume(int volume) {
    volume_ = std::clamp(volume, 0, 10000);
    setNumber("volume", mpvVolume(volume_));
}

void PlayerEngine::setRate(double rate) {
    if (!(rate > 0))
        return;
    rate_ = std::clamp(rate, 0.01, 100.0);
    setNumber("speed", rate_);
}

qint64 PlayerEngine::durationMs() const {
    if (!loaded_)
        return 0;
    if (duration_ > 0)
        return static_cast<qint64>(std::llround(duration_ * 1000.0));
    return facts_.durationMs;
}

bool PlayerEngine::positions(qint64* current, qint64* stopPosition) const {
    if (!loaded_)
        return false;
    const double now = seekTarget_ ? *seekTarget_ : timePos_;
    const double end = stopAt_ ? *stopAt_ : durationMs() / 1000.0;
    if (current)
        *current = static_cast<qint64>(std::llround(now * unitsPerSecond));
    if (stopPosition)
        *stopPosition = static_cast<qint64>(std::llround(end * unitsPerSecond));
    return true;
}

bool PlayerEngine::setPositions(qint64 current, std::optional<qint64> stopPosition) {
    if (!loaded_ || opening_)
        return false;
    const double length = durationMs() / 1000.0;
    if (stopPosition)
        stopAt_ = std::clamp(*stopPosition / unitsPerSecond, 0.0, length);
    const double target = std::clamp(current / unitsPerSecond, 0.0, length);
    seekTarget_ = target;
    stepFrom_.reset();
    eof_ = eof_ && target >= length;
    const QByteArray text = QByteArray::number(target, 'f', 6);
    const char* args[] = {"seek", text.constData(), "absolute+exact", nullptr};
    mpv_command_async(mpv_, seekReply | ++seeksSent_, args);
    return true;
}

void PlayerEngine::seekAnswered(quint64 number, int error) {
    if (number != seeksSent_)
        return; // a later seek is under way
    seeksAnswered_ = number;
    if (error < 0 && seekTarget_) { // refused: the position stays where it was
        seekTarget_.reset();
        Q_EMIT seekFinished();
    }
}

bool PlayerEngine::frameStep(bool forward) {
    qint64 current = 0, end = 0;
    const qint64 step = averageTimePerFrame();
    if (opening_ || !positions(&current, &end) || step <= 0)
        return false;
    pause();
    if (forward) {
        // The next frame is decoded already: libmpv shows it without seeking. At the end
        // it stays where it is.
        if (current < end) {
            stepFrom_ = timePos_;
            command({"frame-step"});
        }
        return true;
    }
    return setPositions(std::max<qint64>(current - step, 0));
}

int PlayerEngine::videoWidth() const {
    const TrackFacts* v = facts_.firstVideo();
    if (!v || !v->decodable)
        return 0;
    return v->rotation % 180 ? v->size.height() : v->size.width();
}

int PlayerEngine::videoHeight() const {
    const TrackFacts* v = facts_.firstVideo();
    if (!v || !v->decodable)
        return 0;
    return v->rotation % 180 ? v->size.width() : v->size.height();
}

QSize PlayerEngine::displaySize() const {
    const TrackFacts* v = facts_.firstVideo();
    return v && v->decodable ? v->displaySize : QSize();
}

qint64 PlayerEngine::averageTimePerFrame() const {
    const TrackFacts* v = facts_.firstVideo();
    if (!v || v->frameRate <= 0)
        return 0;
    return static_cast<qint64>(std::llround(unitsPerSecond / v->frameRate));
}

QRect PlayerEngine::codedRect(const QRect& shown) const {
    const TrackFacts* v = facts_.firstVideo();
    const int w = v->size.width(), h = v->size.height();
    switch (v->rotation) {
    case 90:
        return {shown.y(), h - shown.x() - shown.width(), shown.height(), shown.width()};
    case 180:
        return {w - shown.x() - shown.width(), h - shown.y() - shown.height(), shown.width(),
                shown.height()};
    case 270:
        return {w - shown.y() - shown.height(), shown.x(), shown.height(), shown.width()};
    default:
        return shown;
    }
}

bool PlayerEngine::setSourceRect(const QRect& rect) {
    const QRect whole(0, 0, videoWidth(), videoHeight());
    if (!loaded_ || whole.isEmpty())
        return false;
    if (rect.isEmpty() || rect == whole) {
        if (source_.isValid())
            command({"vf", "remove", "@crop"});
        source_ = {};
        return true;
    }
    if (!whole.contains(rect))
        return false;
    source_ = rect;
    const QRect c = codedRect(rect);
    const QByteArray filter = QStringLiteral("@crop:lavfi-crop=w=%1:h=%2:x=%3:y=%4")
                                  .arg(c.width())
                                  .arg(c.height())
                                  .arg(c.x())
                                  .arg(c.y())
                                  .toLatin1();
    command({"vf", "remove", "@crop"});
    command({"vf", "add", filter.constData()});
    return true;
}

void PlayerEngine::setDestinationRect(const QRect& rect) {
    if (rect == destination_)
        return;
    destination_ = rect;
    Q_EMIT destinationChanged(rect);
}

bool PlayerEngine::selectAudioTrack(int number) {
    if (!loaded_ || number < 1 || number > audioTrackCount())
        return false;
    audioTrack_ = number;
    int64_t id = number;
    mpv_set_property_async(mpv_, 0, "aid", MPV_FORMAT_INT64, &id);
    return true;
}

QImage PlayerEngine::screenshot() const {
    if (!loaded_ || !facts_.firstVideo())
        return {};
    return mpvScreenshot(mpv_);
}

QImage PlayerEngine::currentPicture() const {
    // libmpv hands the picture stretched to its aspect; the video's own size is unstretched.
    const QImage shown = screenshot();
    QSize own(videoWidth(), videoHeight());
    if (source_.isValid())
        own = source_.size();
    if (shown.isNull() || own.isEmpty() || shown.size() == own)
        return shown;
    return shown.scaled(own, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage PlayerEngine::displayedPicture() const {
    const QImage own = currentPicture();
    if (own.isNull() || destination_.isEmpty() || own.size() == destination_.size())
        return own;
    return own.scaled(destination_.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace tavimo::media
