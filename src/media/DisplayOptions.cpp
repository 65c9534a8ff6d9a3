#include "media/DisplayOptions.h"

#include "media/MpvPlayer.h"

#include <algorithm>

namespace tavimo::media {

DisplayOptions::DisplayOptions(MpvPlayer& mpv, QObject* parent) : QObject(parent), mpv_(mpv) {}

bool DisplayOptions::isPlaying() const {
    return mpv_.state() == MpvPlayer::Playing;
}

void DisplayOptions::pauseVideo() {
    mpv_.pause();
}

void DisplayOptions::playVideo() {
    mpv_.play();
}

void DisplayOptions::setBox(QSize box) {
    box_ = box;
    apply();
}

bool DisplayOptions::apply() {
    if (!mpv_.isActive() || !mpv_.position(nullptr, nullptr))
        return false;
    layout_.picture = QSize(mpv_.videoWidth(), mpv_.videoHeight());
    if (layout_.picture.isEmpty())
        return false; // nothing to show
    mpv_.setCropRect(layout_.source());
    mpv_.setPictureRect(layout_.destination(box_));
    return true;
}

bool DisplayOptions::chooseAspect(int choice) {
    if (choice == aspectChoice_)
        return false;
    aspectChoice_ = choice;
    whilePaused([&] {
        layout_.numbers =
            DisplayLayout::aspectNumbers(aspectChoice_, mpv_.displaySize(), layout_.numbers);
        apply();
    });
    return true;
}

bool DisplayOptions::chooseCrop(int rows) {
    rows = std::clamp(rows, 0, DisplayLayout::kMaxCrop);
    if (!mpv_.isActive() || rows == layout_.crop)
        return false;
    layout_.crop = rows;
    whilePaused([&] { apply(); });
    return true;
}

void DisplayOptions::chooseSpeed(double rate) {
    whilePaused([&] { mpv_.setSpeed(rate); });
}

void DisplayOptions::setVolumeValue(int volume) {
    if (!mpv_.isActive())
        return;
    volumeValue_ = std::clamp(volume, 0, 10000);
    if (!muted_)
        mpv_.setVolume(volumeValue_);
}

void DisplayOptions::setStartVolume(int volume) {
    volumeValue_ = std::clamp(volume, 0, 10000);
    muted_ = false;
    mpv_.setVolume(volumeValue_);
}

void DisplayOptions::toggleMute() {
    muted_ = !muted_;
    // The track that sounds is the player's choice: its volume is the one to set.
    mpv_.setVolume(muted_ ? 0 : volumeValue_);
    Q_EMIT muteChanged(muted_);
}

int DisplayOptions::audioStreams() const {
    return mpv_.audioTrackCount() >= 2 ? 2 : 0;
}

bool DisplayOptions::selectAudioStream(int number) {
    if (!audioStreams() || number == audioStream_ || number < 1 || number > 2)
        return false;
    // Only one track sounds at a time, at the player's volume: muted it stays silent.
    if (!mpv_.selectAudioTrack(number))
        return false;
    audioStream_ = number;
    return true;
}

void DisplayOptions::openingStarted() {
    layout_.crop = 0;
}

void DisplayOptions::videoOpened() {
    layout_.numbers =
        DisplayLayout::aspectNumbers(aspectChoice_, mpv_.displaySize(), layout_.numbers);
    apply();
    // The player starts every file on its first track, whatever the one before chose.
    audioStream_ = 1;
}

} // namespace tavimo::media
