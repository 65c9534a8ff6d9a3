#include "media/MpvBackend.h"

#include "media/MpvPlayer.h"

namespace tavimo::media {

MpvBackend::MpvBackend(MpvPlayer& player, QObject* parent)
    : PlaybackBackend(parent), player_(player) {
    connect(&player_, &MpvPlayer::loaded, this, [this](int result) { loaded(result); });
    connect(&player_, &MpvPlayer::endOfFile, this, &PlaybackBackend::endOfMedia);
    connect(&player_, &MpvPlayer::fileError, this, &PlaybackBackend::failed);
}

void MpvBackend::open(const QString& path) {
    waiting_ = true;
    player_.setActive(true);
    player_.loadFile(path);
}

void MpvBackend::loaded(int result) {
    // The answer of a closed open never reaches the rules.
    if (!waiting_)
        return;
    waiting_ = false;
    // A track without a decoder leaves the rest playable: that is still an open file.
    Q_EMIT opened(result != MpvPlayer::LoadFailed);
}

void MpvBackend::close() {
    waiting_ = false;
    player_.closeFile();
    player_.setActive(false);
}

bool MpvBackend::isLoaded() const {
    return player_.isLoaded();
}

bool MpvBackend::play() {
    return player_.play();
}

bool MpvBackend::pause() {
    return player_.pause();
}

bool MpvBackend::isPlaying() const {
    return player_.state() == MpvPlayer::Playing;
}

qint64 MpvBackend::durationMs() const {
    return player_.durationMs();
}

bool MpvBackend::positions(qint64* current, qint64* stop) const {
    return player_.position(current, stop);
}

bool MpvBackend::seek(qint64 position) {
    return player_.seek(position);
}

bool MpvBackend::frameStep(bool forward) {
    return player_.frameStep(forward);
}

} // namespace tavimo::media
