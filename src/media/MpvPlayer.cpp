#include "media/MpvPlayer.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <mpv/client.h>

namespace tavimo::media {

namespace {

constexpr double unitsPerSecond = 10'000'000.0;

enum Observed : uint64_t { TimePos = 1, Pause, EofReached, Duration };

} // namespace

double mpvVolume(int volume) {
    volume = std::clamp(volume, 0, 10000);
    if (volume == 0)
        return 0;
    const double attenuation = std::round(std::log(volume + 1.0) * 1085.73) - 10000.0;
    return 100.0 * std::pow(10.0, attenuation / 6000.0);
}

MpvPlayer::MpvPlayer(Output output, QObject* parent) : MpvPlayer(output, LibmpvOptions{}, parent) {}

MpvPlayer::MpvPlayer(Output output, const LibmpvOptions& extra, QObject* parent) : QObject(parent) {
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
        {"keepaspect", "no"},    // the program chooses the picture rectangle itself
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
    mpv_set_wakeup_callback(mpv_, &MpvPlayer::wakeUp, this);
    setNumber("volume", mpvVolume(volume_));
}

MpvPlayer::~MpvPlayer() {
    probePool_.waitForDone();
    if (!mpv_)
        return;
    Q_EMIT aboutToShutDown();
    // After this returns libmpv calls wakeUp no more; queued drains die with this object.
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
}

void MpvPlayer::wakeUp(void* self) {
    auto* player = static_cast<MpvPlayer*>(self);
    if (!player->drainQueued_.exchange(true))
        QMetaObject::invokeMethod(player, &MpvPlayer::drainEvents, Qt::QueuedConnection);
}

void MpvPlayer::drainEvents() {
    drainQueued_ = false;
    while (mpv_) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handle(*event);
    }
}

void MpvPlayer::command(std::initializer_list<const char*> args) {
    if (!mpv_)
        return;
    std::vector<const char*> list(args);
    list.push_back(nullptr);
    mpv_command_async(mpv_, 0, list.data());
}

void MpvPlayer::setFlag(const char* name, bool value) {
    if (!mpv_)
        return;
    int flag = value ? 1 : 0;
    mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_FLAG, &flag);
}

void MpvPlayer::setNumber(const char* name, double value) {
    if (!mpv_)
        return;
    mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_DOUBLE, &value);
}

void MpvPlayer::setActive(bool on) {
    if (on == active_)
        return;
    if (!on)
        closeFile();
    active_ = on;
    if (on)
        Q_EMIT activated();
}

void MpvPlayer::handle(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata & loadReply)
            loadAnswered(event.reply_userdata & ~loadReply, event);
        else if (event.reply_userdata & seekReply)
            seekAnswered(event.reply_userdata & ~seekReply, event.error);
        break;
    case MPV_EVENT_START_FILE:
        fileStarted(static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
        break;
    case MPV_EVENT_FILE_LOADED:
        fileLoaded();
        break;
    case MPV_EVENT_END_FILE:
        fileEnded(event);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        // A restart before libmpv has taken the latest seek (the start of the file, an earlier
        // seek) does not finish it.
        if (file_.seekTarget && file_.seekTaken == file_.seekSent) {
            double pos = 0;
            if (mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &pos) >= 0)
                file_.timePos = pos;
            file_.seekTarget.reset();
            Q_EMIT seekFinished();
        }
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        propertyChanged(event);
        break;
    case MPV_EVENT_SHUTDOWN:
        resetFile();
        break;
    default:
        break;
    }
}

void MpvPlayer::propertyChanged(const mpv_event& event) {
    const auto* prop = static_cast<const mpv_event_property*>(event.data);
    if (event.reply_userdata == TimePos && prop->format == MPV_FORMAT_DOUBLE) {
        file_.timePos = *static_cast<double*>(prop->data);
        if (file_.stepFrom && file_.timePos > *file_.stepFrom) {
            file_.stepFrom.reset();
            Q_EMIT seekFinished();
        }
        if (file_.end && !paused_ && file_.loaded && file_.timePos >= *file_.end) {
            pause();
            Q_EMIT endOfFile();
        }
    } else if (event.reply_userdata == Pause && prop->format == MPV_FORMAT_FLAG) {
        paused_ = *static_cast<int*>(prop->data) != 0;
    } else if (event.reply_userdata == Duration && prop->format == MPV_FORMAT_DOUBLE) {
        if (file_.load.done) // not the file before this one
            file_.duration = *static_cast<double*>(prop->data);
    } else if (event.reply_userdata == EofReached && prop->format == MPV_FORMAT_FLAG) {
        const bool eof = *static_cast<int*>(prop->data) != 0;
        if (eof && !file_.eof && file_.loaded && !file_.loading)
            Q_EMIT endOfFile();
        file_.eof = eof;
    }
}

bool MpvPlayer::play() {
    if (!file_.loaded || file_.loading)
        return false;
    file_.stopped = false;
    paused_ = false;
    setFlag("pause", false);
    if (file_.eof) // playing from the end reports the end again at once
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (file_.loaded && file_.eof)
                    Q_EMIT endOfFile();
            },
            Qt::QueuedConnection);
    return true;
}

bool MpvPlayer::pause() {
    if (!file_.loaded)
        return false;
    file_.stopped = false;
    paused_ = true;
    setFlag("pause", true);
    return true;
}

MpvPlayer::State MpvPlayer::state() const {
    if (!active_)
        return Inactive;
    if (!file_.loaded || file_.stopped)
        return Stopped;
    return paused_ ? Paused : Playing;
}

void MpvPlayer::setVolume(int volume) {
    volume_ = std::clamp(volume, 0, 10000);
    setNumber("volume", mpvVolume(volume_));
}

void MpvPlayer::setSpeed(double speed) {
    if (!(speed > 0))
        return;
    speed_ = std::clamp(speed, 0.01, 100.0);
    setNumber("speed", speed_);
}

qint64 MpvPlayer::durationMs() const {
    if (!file_.loaded)
        return 0;
    if (file_.duration > 0)
        return static_cast<qint64>(std::llround(file_.duration * 1000.0));
    return file_.facts.durationMs;
}

bool MpvPlayer::position(qint64* now, qint64* end) const {
    if (!file_.loaded)
        return false;
    const double at = file_.seekTarget ? *file_.seekTarget : file_.timePos;
    const double last = file_.end ? *file_.end : durationMs() / 1000.0;
    if (now)
        *now = static_cast<qint64>(std::llround(at * unitsPerSecond));
    if (end)
        *end = static_cast<qint64>(std::llround(last * unitsPerSecond));
    return true;
}

bool MpvPlayer::seek(qint64 position, std::optional<qint64> end) {
    if (!file_.loaded || file_.loading)
        return false;
    const double length = durationMs() / 1000.0;
    if (end)
        file_.end = std::clamp(*end / unitsPerSecond, 0.0, length);
    const double target = std::clamp(position / unitsPerSecond, 0.0, length);
    file_.seekTarget = target;
    file_.stepFrom.reset();
    file_.eof = file_.eof && target >= length;
    const QByteArray text = QByteArray::number(target, 'f', 6);
    const char* args[] = {"seek", text.constData(), "absolute+exact", nullptr};
    file_.seekSent = ++seekTags_;
    mpv_command_async(mpv_, seekReply | file_.seekSent, args);
    return true;
}

void MpvPlayer::seekAnswered(quint64 tag, int error) {
    if (tag != file_.seekSent)
        return; // a later seek is under way, or the seek was the file before's
    file_.seekTaken = tag;
    if (error < 0 && file_.seekTarget) { // refused: the position stays where it was
        file_.seekTarget.reset();
        Q_EMIT seekFinished();
    }
}

bool MpvPlayer::frameStep(bool forward) {
    qint64 now = 0, end = 0;
    const qint64 step = frameDuration();
    if (file_.loading || !position(&now, &end) || step <= 0)
        return false;
    pause();
    if (forward) {
        // The next frame is decoded already: libmpv shows it without seeking. At the end
        // it stays where it is.
        if (now < end) {
            file_.stepFrom = file_.timePos;
            command({"frame-step"});
        }
        return true;
    }
    return seek(std::max<qint64>(now - step, 0));
}

} // namespace tavimo::media
