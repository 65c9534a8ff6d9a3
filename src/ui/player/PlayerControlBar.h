#pragma once

#include "ui/WindowNames.h"

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

namespace tavimo::media {
class MpvPlayer;
}

namespace tavimo {

// The strip under the player's video: the eight buttons, the seek bar with its bookmark
// marker, and the white panel with the title, position and duration, mute picture and
// volume. It only holds and places them; the player window says what they do.
class PlayerControlBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 60;

    PlayerControlBar(media::MpvPlayer& mpv, QWidget* parent);

    // Places what depends on the window's outer width w.
    void layOut(int w);
    // Places the bookmark marker's left edge at x and shows it; a negative x hides it.
    void placeMarker(int x);

    QToolButton* rewindButton = nullptr;
    QToolButton* previousButton = nullptr;
    QToolButton* playButton = nullptr;
    QToolButton* nextButton = nullptr;
    QToolButton* pauseButton = nullptr;
    QToolButton* stopButton = nullptr;
    QToolButton* frameBackButton = nullptr;
    QToolButton* frameForwardButton = nullptr;
    SeekBar* seekBar = nullptr;
    QWidget* infoPanel = nullptr;
    QLabel* titleLabel = nullptr;
    QLabel* positionLabel = nullptr;
    QLabel* durationLabel = nullptr;
    QLabel* muteImage = nullptr;
    QSlider* volumeBar = nullptr;
    QWidget* marker = nullptr;

private:
    QToolButton* button(const char* name, int left, const QIcon& icon, const QString& hint);
};

} // namespace tavimo
