// Opening a file: FFmpeg's probe and libmpv's loadfile run side by side, and the file is
// loaded when both have answered for it.
#include "media/MpvPlayer.h"

#include <QMetaObject>
#include <QStringList>
#include <QThreadPool>
#include <cstring>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <mpv/client.h>

namespace tavimo::media {

namespace {

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

void MpvPlayer::resetFile() {
    if (file_.probeCancel)
        *file_.probeCancel = true;
    if (file_.crop.isValid())
        command({"vf", "remove", "@crop"});
    const quint64 next = file_.generation + 1;
    file_ = FileState{};
    file_.generation = next;
}

void MpvPlayer::closeFile() {
    const bool busy = file_.load.sent || file_.loaded;
    resetFile();
    if (busy)
        command({"stop"});
}

void MpvPlayer::loadFile(const QString& path) {
    closeFile();
    if (!mpv_ || !active_) {
        const QString why = mpv_ ? QStringLiteral("the player is not active") : unavailable_;
        QMetaObject::invokeMethod(
            this, [this, why] { Q_EMIT loaded(LoadFailed, why); }, Qt::QueuedConnection);
        return;
    }
    file_.loading = true;
    file_.path = path;
    file_.probeCancel = std::make_shared<std::atomic<bool>>(false);
    const quint64 generation = file_.generation;
    // FFmpeg reads the file on a worker (bounded to a few seconds). As soon as it knows the
    // file is one video in a format that opens no other, libmpv starts loading it on its own
    // threads while FFmpeg goes on reading the tracks; the interface thread only hears the
    // answers, and the file is loaded when both have answered. A file left meanwhile stops
    // its probe, which would otherwise hold up the next file's on a slow disc.
    probePool_.start([this, generation, path, cancel = file_.probeCancel] {
        MediaFacts facts = readMediaFacts(
            path,
            [this, generation] {
                QMetaObject::invokeMethod(
                    this, [this, generation] { accepted(generation); }, Qt::QueuedConnection);
            },
            cancel.get());
        QMetaObject::invokeMethod(
            this, [this, generation, facts] { probed(generation, facts); }, Qt::QueuedConnection);
    });
}

void MpvPlayer::accepted(quint64 generation) {
    if (generation != file_.generation || !file_.loading)
        return; // abandoned
    paused_ = true;
    setFlag("pause", true);
    sendLoad({});
}

void MpvPlayer::sendLoad(QStringList options) {
    // Every file starts on its first audio track, as "Audio1" says, whatever track a file
    // before chose: options given to loadfile are the file's own, and libmpv restores them
    // when it ends, a track chosen meanwhile included.
    if (!options.contains(QStringLiteral("aid=no")))
        options << QStringLiteral("aid=1");
    file_.load = {};
    const QByteArray name = file_.path.toUtf8();
    const QByteArray fileOptions = options.join(QLatin1Char(',')).toUtf8();
    const char* args[] = {"loadfile", name.constData(), "replace", fileOptions.constData(),
                          nullptr};
    file_.load.sent = true;
    if (mpv_command_async(mpv_, loadReply | file_.generation, args) < 0)
        finishLoad(LoadFailed, QStringLiteral("libmpv refused to open the file"));
}

void MpvPlayer::loadAnswered(quint64 generation, const mpv_event& event) {
    if (generation != file_.generation || !file_.loading)
        return; // the answer to an abandoned file
    if (event.error < 0) {
        finishLoad(LoadFailed, QString::fromUtf8(mpv_error_string(event.error)));
        return;
    }
    file_.load.entryId = entryIdOf(static_cast<const mpv_event_command*>(event.data)->result);
    // The answer comes before the START_FILE of its entry: an older libmpv that does not
    // name the entry starts this file next.
    file_.load.takeNextStart = file_.load.entryId == 0;
}

void MpvPlayer::fileStarted(int64_t entryId) {
    startedId_ = entryId;
    if (file_.load.takeNextStart && file_.loading) {
        file_.load.entryId = entryId;
        file_.load.takeNextStart = false;
    }
}

void MpvPlayer::fileLoaded() {
    // FILE_LOADED belongs to the entry of the START_FILE before it.
    if (file_.loading && file_.load.entryId != 0 && startedId_ == file_.load.entryId) {
        file_.load.done = true;
        finishOpening();
    }
}

// A file's demuxer, decoders and frames are freed when it ends, but glibc's allocator keeps
// many of the freed pages in the arenas of the threads that held them. In continuous play they
// pile up, opening after opening (with the OpenGL view 600 openings kept 37 MB more). They are
// handed back to the system after each file, on a pool thread: it can take milliseconds.
static void returnFreedMemory() {
#if defined(__GLIBC__)
    QThreadPool::globalInstance()->start([] { malloc_trim(0); });
#endif
}

void MpvPlayer::fileEnded(const mpv_event& event) {
    returnFreedMemory();
    const auto* end = static_cast<const mpv_event_end_file*>(event.data);
    if (end->playlist_entry_id != file_.load.entryId || file_.load.entryId == 0)
        return; // an earlier file's end
    if (end->reason == MPV_END_FILE_REASON_ERROR) {
        const QString why = QString::fromUtf8(mpv_error_string(end->error));
        if (file_.loading && !file_.factsIn) {
            file_.load.error = why; // the tracks may tell how to load it after all
        } else if (file_.loading) {
            finishLoad(LoadFailed, why);
        } else if (file_.loaded) {
            resetFile();
            Q_EMIT fileError();
        }
    } else if (end->reason == MPV_END_FILE_REASON_QUIT) {
        resetFile();
    } else if (end->reason == MPV_END_FILE_REASON_EOF && file_.loaded) {
        Q_EMIT endOfFile();
    }
}

void MpvPlayer::probed(quint64 generation, const MediaFacts& facts) {
    if (!facts.cancelled)
        ++probesFinished_;
    if (generation != file_.generation || !file_.loading)
        return; // abandoned
    // What the probe refused (not a regular file, a playlist, nothing playable) never
    // reached libmpv; what it could not read in the end is not loaded either.
    if (!facts.opened) {
        finishLoad(LoadFailed, facts.error);
        return;
    }
    file_.facts = facts;
    file_.factsIn = true;
    // libmpv gives up on a whole file when a track has no decoder: such a file is loaded
    // again without that track (rare, so the second loadfile costs nothing in the common case).
    QStringList leaveOut;
    const TrackFacts* video = facts.firstVideo();
    if (video && !video->decodable)
        leaveOut << QStringLiteral("vid=no");
    for (const TrackFacts& t : facts.tracks)
        if (t.kind == TrackFacts::Kind::Audio && t.number == 1 && !t.decodable)
            leaveOut << QStringLiteral("aid=no");
    if (!leaveOut.isEmpty()) {
        sendLoad(leaveOut);
        return;
    }
    if (!file_.load.error.isEmpty()) {
        finishLoad(LoadFailed, file_.load.error);
        return;
    }
    finishOpening();
}

void MpvPlayer::finishOpening() {
    if (!file_.load.done || !file_.factsIn)
        return;
    file_.loaded = true;
    file_.stopped = true; // a file that has just loaded is stopped, not paused
    file_.eof = false;
    // libmpv's own duration follows as a property change; until then FFmpeg's stands. Asking
    // for it here would wait for libmpv's core, which is busy starting the decoders (up to a
    // fifth of a second was seen).
    setNumber("speed", speed_);
    setNumber("volume", mpvVolume(volume_));
    file_.audioTrack = file_.facts.audioCount() > 0 ? 1 : 0;
    // A track without a decoder is left out by libmpv; the rest of the file plays.
    finishLoad(file_.facts.undecodable > 0 ? LoadedWithoutATrack : Loaded, {});
}

void MpvPlayer::finishLoad(int result, const QString& error) {
    file_.loading = false;
    if (result == LoadFailed)
        closeFile();
    Q_EMIT loaded(result, error);
}

bool MpvPlayer::selectAudioTrack(int number) {
    if (!file_.loaded || number < 1 || number > audioTrackCount())
        return false;
    file_.audioTrack = number;
    int64_t id = number;
    mpv_set_property_async(mpv_, 0, "aid", MPV_FORMAT_INT64, &id);
    return true;
}

} // namespace tavimo::media
