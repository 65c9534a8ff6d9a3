#include "media/MpvMediaEngine.h"

#include "media/PlayerEngine.h"

namespace tavimo::media {

MpvMediaEngine::MpvMediaEngine(PlayerEngine& player, QObject* parent)
    : MediaEngine(parent), player_(player) {
    connect(&player_, &PlayerEngine::rendered, this, [this](int code) { rendered(code); });
    connect(&player_, &PlayerEngine::endOfFile, this, &MediaEngine::endOfMedia);
    connect(&player_, &PlayerEngine::errorAbort, this, &MediaEngine::failed);
}

void MpvMediaEngine::open(const QString& path) {
    waiting_ = true;
    player_.setActive(true);
    player_.renderFile(path);
}

void MpvMediaEngine::rendered(int code) {
    // The answer of a closed open never reaches the rules.
    if (!waiting_)
        return;
    waiting_ = false;
    // A stream without a decoder leaves the rest playable: that is still an open file.
    Q_EMIT opened(code >= 0);
}

void MpvMediaEngine::close() {
    waiting_ = false;
    player_.closeFile();
    player_.setActive(false);
}

bool MpvMediaEngine::isLoaded() const {
    return player_.positions(nullptr, nullptr);
}

bool MpvMediaEngine::play() {
    return player_.play();
}

bool MpvMediaEngine::pause() {
    return player_.pause();
}

bool MpvMediaEngine::isPlaying() const {
    return player_.state() == PlayerEngine::Playing;
}

qint64 MpvMediaEngine::durationMs() const {
    return player_.durationMs();
}

bool MpvMediaEngine::positions(qint64* current, qint64* stop) const {
    return player_.positions(current, stop);
}

bool MpvMediaEngine::seek(qint64 position) {
    return player_.setPositions(position);
}

bool MpvMediaEngine::frameStep(bool forward) {
    return player_.frameStep(forward);
}

} // namespace tavimo::media
