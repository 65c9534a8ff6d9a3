#include "core/Playback.h"

#include "core/LibrarySession.h"
#include "core/MediaAddition.h"
#include "core/PlaybackBackend.h"
#include "core/VolumeTable.h"

#include <algorithm>

namespace tavimo {

namespace {

// The prompt for a medium that is not in any drive, by its kind (none for unknown kinds).
QString insertMediumPrompt(const MediumRecord& medium) {
    switch (medium.kind) {
    case kMediumCd:
    case kMediumDvd:
        return QStringLiteral("ボリュームラベル　”") + medium.label +
               QStringLiteral("” の CD あるいは DVDをドライブにセットしてください。");
    case kMediumRemovable:
        return QStringLiteral("ボリュームラベル　”") + medium.label +
               QStringLiteral("” の リムーバルディスクをセットしてください");
    default:
        return {};
    }
}

} // namespace

Playback::Playback(LibrarySession& session, PlaybackBackend& backend, QObject* parent)
    : QObject(parent), session_(session), backend_(backend) {
    connect(&backend_, &PlaybackBackend::opened, this, &Playback::backendOpened);
    connect(&backend_, &PlaybackBackend::endOfMedia, this, &Playback::backendEnded);
    connect(&backend_, &PlaybackBackend::failed, this, [this] { backend_.close(); });
}

QString Playback::timeText(qint64 ms) {
    qint64 seconds = ms / 1000;
    qint64 minutes = 0;
    if (seconds >= 60) {
        minutes = seconds / 60;
        seconds -= 60 * minutes;
    }
    return QStringLiteral("%1.%2")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}

int Playback::markerLeft(int barWidth, qint64 bookmark, qint64 durationMs) {
    if (bookmark == 0 || durationMs <= 0)
        return -1;
    // A bookmark past the end (the file was replaced by a shorter one) stands at the end.
    const qint64 at = std::min(bookmark, durationMs * 10000);
    return int(qint64(barWidth - 16) * at / durationMs / 10000 + 7);
}

bool Playback::findMedium() {
    Album& album = session_.album();
    if (!album.isMediaMode() || !album.driveRoot().isEmpty())
        return true;
    MediumRecord medium = album.medium();
    QString root;
    if (medium.kind == kMediumNone) {
        root = session_.probe().findByFile(album.entry(index_), medium);
        if (root.isEmpty()) {
            Q_EMIT problemFound({QStringLiteral("メディアをセットしてください")});
            return false;
        }
    } else {
        root = session_.probe().findBySerial(medium);
        if (root.isEmpty()) {
            const QString prompt = insertMediumPrompt(medium);
            if (!prompt.isEmpty())
                Q_EMIT problemFound({prompt});
            return false;
        }
    }
    session_.recordMedium(medium, root);
    // As the album window does once it knows the medium: videos it lacks leave the album.
    album.removeAll(entriesMissingFrom(root, album.entries()));
    return true;
}

void Playback::openAndPlay() {
    Album& album = session_.album();
    if (!album.isValidIndex(index_))
        return;
    const QString entry = album.entry(index_);
    if (!findMedium())
        return;
    if (album.isMediaMode()) {
        // Videos may have left the album: the one asked for is found again by its entry.
        index_ = int(album.entries().indexOf(entry));
        if (index_ < 0)
            return;
    }
    // Bookmark and count belong to the video that opens, wherever the drops put it.
    startIndex_ = index_;
    // A path written on Windows ("C:\...") names no file here: it would be looked for in the
    // working folder. It fails as a file that will not open does.
    if (!album.isLocalFile(index_)) {
        cleanUp();
        return;
    }
    Q_EMIT currentVideoChanged(index_);
    opening_ = true;
    Q_EMIT openingStarted(fileNamePart(album.fullPath(index_)));
    backend_.open(album.fullPath(index_));
}

void Playback::backendOpened(bool ok) {
    if (!opening_)
        return;
    Album& album = session_.album();
    if (!ok || !album.isValidIndex(startIndex_) || !backend_.play()) {
        cleanUp();
        return;
    }
    opening_ = false;
    const qint64 bookmark = album.bookmark(startIndex_);
    if (fromBookmark_ && bookmark > 0)
        backend_.seek(bookmark);
    // A read-only album is never saved: a count it showed would be lost, so it is not counted.
    if (!session_.albumReadOnly())
        album.setPlayCount(startIndex_, album.playCount(startIndex_) + 1);
    Q_EMIT playing(backend_.durationMs(), bookmark);
}

void Playback::cleanUp() {
    backend_.close();
    opening_ = false;
    Q_EMIT currentVideoChanged(startIndex_);
    Q_EMIT closeRequested();
}

void Playback::play() {
    if (!opening_ && !backend_.isPlaying() && backend_.isLoaded())
        backend_.play();
}

void Playback::playContinuously() {
    continuous_ = true;
    play();
}

void Playback::pause() {
    if (!opening_)
        backend_.pause();
}

void Playback::rewind() {
    if (!opening_ && backend_.seek(0))
        backend_.play();
}

void Playback::stopForStep() {
    if (opening_)
        return;
    if (backend_.isPlaying())
        backend_.pause();
    backend_.close();
}

void Playback::step(int delta) {
    const int n = session_.album().count();
    // An album left without videos (all dropped) has nothing to go on to.
    if (n == 0) {
        Q_EMIT closeRequested();
        return;
    }
    if (delta > 0)
        index_ = index_ + 1 >= n ? 0 : index_ + 1;
    else if (delta < 0)
        index_ = index_ - 1 < 0 ? n - 1 : std::min(index_ - 1, n - 1);
    else
        index_ = std::clamp(index_, 0, n - 1);
    Q_EMIT currentVideoChanged(index_);
    openAndPlay();
}

void Playback::next() {
    stopForStep();
    if (!opening_)
        step(+1);
}

void Playback::previous() {
    stopForStep();
    if (!opening_)
        step(-1);
}

void Playback::backendEnded() {
    if (opening_)
        return;
    if (backend_.isPlaying())
        backend_.pause();
    backend_.close();
    step(continuous_ ? +1 : 0);
}

void Playback::jump(qint64 delta) {
    qint64 current = 0, stop = 0;
    if (opening_ || !backend_.positions(&current, &stop))
        return;
    if (delta < 0) {
        backend_.seek(std::max<qint64>(current + delta, 0));
        return;
    }
    const qint64 target = std::min(current + delta, stop);
    // One minute on from the last minute starts again; ten minutes go to the end, whose
    // handling follows, unless already there.
    const bool seekOn = delta >= kTenMinutes ? current < target : target < stop;
    if (seekOn)
        backend_.seek(target);
    else
        rewind();
}

void Playback::frameStep(bool forward) {
    if (!opening_)
        backend_.frameStep(forward);
}

void Playback::setBookmark() {
    qint64 current = 0, stop = 0;
    Album& album = session_.album();
    if (opening_ || session_.albumReadOnly() || !album.isValidIndex(index_) ||
        !backend_.positions(&current, &stop))
        return;
    album.setBookmark(index_, current);
    // A bookmark goes to the disk at once: it is what the user asked to keep.
    session_.saveSoon();
    Q_EMIT bookmarkSet(current, backend_.durationMs());
}

void Playback::goToBookmark() {
    if (!opening_ && session_.album().isValidIndex(index_))
        backend_.seek(session_.album().bookmark(index_));
}

void Playback::closeVideo() {
    if (backend_.isPlaying())
        backend_.pause();
    backend_.close();
    opening_ = false;
}

} // namespace tavimo
