#pragma once

#include "media/DisplayLayout.h"

#include <QObject>

namespace tavimo::media {

class MpvPlayer;

// How the player shapes the open video's picture and sound: the aspect choice, the rows cut
// at top and bottom, the speed, the volume with its mute, and which of two audio tracks
// sounds. It keeps these across videos as the player's menu promises and applies them to the
// libmpv player; the window only forwards the menu, the slider and the box the picture fills.
class DisplayOptions : public QObject {
    Q_OBJECT
public:
    static constexpr int kVolumeStep = 200; // one notch of the mouse wheel

    explicit DisplayOptions(MpvPlayer& mpv, QObject* parent = nullptr);

    // The box the picture is fitted into (the video area, or the screen in full screen):
    // the picture is placed again in it.
    void setBox(QSize box);
    QSize box() const { return box_; }
    // Places the picture for the current choices; false while no video is open.
    bool apply();
    const DisplayLayout& layout() const { return layout_; }

    // "アスペクト比": the choice as the settings keep it (any number; 0 to 6 are the menu's).
    int aspectChoice() const { return aspectChoice_; }
    void setAspectChoice(int choice) { aspectChoice_ = choice; }
    // A menu choice: false when it is the current one. A playing video pauses meanwhile.
    bool chooseAspect(int choice);

    // "上下をカット": rows cut at top and bottom (0 to 112 in steps of 16), only while a video
    // is open; false when nothing changed.
    bool chooseCrop(int rows);
    int crop() const { return layout_.crop; }

    // "再生速度": kept for every later video; a paused video stays paused.
    void chooseSpeed(double rate);

    // The volume slider's value, 0 to 10000: taken only while a video is open (the slider
    // is set back to it when one opens). Muted, the player stays silent.
    void setVolumeValue(int volume);
    int volumeValue() const { return volumeValue_; }
    // The settings' volume, before anything plays.
    void setStartVolume(int volume);
    void toggleMute();
    bool isMuted() const { return muted_; }

    // Two audio tracks ("Audio1", "Audio2"): 2 when the open video has two or more, else 0.
    int audioStreams() const;
    // The track that sounds, 1 or 2 (0 without two tracks).
    int audioStream() const { return audioStreams() ? audioStream_ : 0; }
    // False when it sounds already or there is no such track.
    bool selectAudioStream(int number);

    // A video starts opening: nothing is cut any more.
    void openingStarted();
    // The video opened: its proportions are taken (for "オリジナル"), its picture placed, and
    // with two audio tracks the first sounds.
    void videoOpened();

    // Runs `change` with a playing video paused, and plays it again after: what the player
    // reshapes never runs under a moving picture, and a paused video stays paused.
    template <typename Change> void whilePaused(Change change);

Q_SIGNALS:
    void muteChanged(bool muted);

private:
    bool isPlaying() const;
    void pauseVideo();
    void playVideo();

    MpvPlayer& mpv_;
    DisplayLayout layout_;
    QSize box_;
    int aspectChoice_ = 0;
    int volumeValue_ = 5000;
    bool muted_ = false;
    int audioStream_ = 1;
};

template <typename Change> void DisplayOptions::whilePaused(Change change) {
    const bool wasPlaying = isPlaying();
    if (wasPlaying)
        pauseVideo();
    change();
    if (wasPlaying)
        playVideo();
}

} // namespace tavimo::media
