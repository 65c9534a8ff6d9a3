#include "media/DisplayOptions.h"

#include "media/PlayerEngine.h"

#include <algorithm>

namespace tavimo::media {

DisplayOptions::DisplayOptions(PlayerEngine& engine, QObject* parent)
    : QObject(parent), engine_(engine) {}

bool DisplayOptions::isPlaying() const {
    return engine_.state() == PlayerEngine::Playing;
}

void DisplayOptions::pauseEngine() {
    engine_.pause();
}

void DisplayOptions::playEngine() {
    engine_.play();
}

void DisplayOptions::setBox(QSize box) {
    box_ = box;
    apply();
}

bool DisplayOptions::apply() {
    if (!engine_.isActive() || !engine_.positions(nullptr, nullptr))
        return false;
    layout_.picture = QSize(engine_.videoWidth(), engine_.videoHeight());
    if (layout_.picture.isEmpty())
        return false; // nothing to show
    engine_.setSourceRect(layout_.source());
    engine_.setDestinationRect(layout_.destination(box_));
    return true;
}

bool DisplayOptions::chooseAspect(int choice) {
    if (choice == aspectChoice_)
        return false;
    aspectChoice_ = choice;
    whilePaused([&] {
        layout_.numbers =
            DisplayLayout::aspectNumbers(aspectChoice_, engine_.displaySize(), layout_.numbers);
        apply();
    });
    return true;
}

bool DisplayOptions::chooseCrop(int rows) {
    rows = std::clamp(rows, 0, DisplayLayout::kMaxCrop);
    if (!engine_.isActive() || rows == layout_.crop)
        return false;
    layout_.crop = rows;
    whilePaused([&] { apply(); });
    return true;
}

void DisplayOptions::chooseSpeed(double rate) {
    whilePaused([&] { engine_.setRate(rate); });
}

void DisplayOptions::setVolumeValue(int volume) {
    if (!engine_.isActive())
        return;
    volumeValue_ = std::clamp(volume, 0, 10000);
    if (!muted_)
        engine_.setVolume(volumeValue_);
}

void DisplayOptions::setStartVolume(int volume) {
    volumeValue_ = std::clamp(volume, 0, 10000);
    muted_ = false;
    engine_.setVolume(volumeValue_);
}

void DisplayOptions::toggleMute() {
    muted_ = !muted_;
    // The track that sounds is the engine's choice: its volume is the one to set.
    engine_.setVolume(muted_ ? 0 : volumeValue_);
    Q_EMIT muteChanged(muted_);
}

int DisplayOptions::audioStreams() const {
    return engine_.audioTrackCount() >= 2 ? 2 : 0;
}

bool DisplayOptions::selectAudioStream(int number) {
    if (!audioStreams() || number == audioStream_ || number < 1 || number > 2)
        return false;
    // Only one track sounds at a time, at the engine's volume: muted it stays silent.
    if (!engine_.selectAudioTrack(number))
        return false;
    audioStream_ = number;
    return true;
}

void DisplayOptions::openingStarted() {
    layout_.crop = 0;
}

void DisplayOptions::videoOpened() {
    layout_.numbers =
        DisplayLayout::aspectNumbers(aspectChoice_, engine_.displaySize(), layout_.numbers);
    apply();
    // The first track sounds, whatever the one before chose. libmpv keeps a chosen track for
    // the next file; when none was chosen it already plays the first, and telling it again
    // would cost the opening time.
    const bool otherChosen = audioStream_ != 1;
    audioStream_ = 1;
    if (otherChosen && engine_.audioTrackCount() > 0)
        engine_.selectAudioTrack(1);
}

} // namespace tavimo::media
