#pragma once

#include "ui/WindowNames.h"

#include <QElapsedTimer>
#include <QSlider>
#include <QTimer>
#include <optional>

namespace tavimo::media {
class MpvPlayer;
}

namespace tavimo {

// The player's seek bar, bound to its player. Every half second while the player is active it
// reads the duration and the position, moves the thumb and reports them. Pressing the left
// button pauses, and pressing and dragging seek to the place under the mouse; the video plays
// on after the release if it played before. A drag sends one seek at a time: positions asked
// for while one is under way wait, and only the latest is sent when it is done.
class TDSTrackBar : public QSlider {
    Q_OBJECT
public:
    static constexpr int kInterval = 500; // ms between updates
    static constexpr int kThumbLength = 14;

    explicit TDSTrackBar(media::MpvPlayer& mpv, QWidget* parent = nullptr);

    // The last position read or sought, in 100 ns units.
    qint64 position() const { return position_; }
    // Set when the user moved the thumb; the owner reads and clears it.
    bool movedByUser() const { return movedByUser_; }
    void clearMovedByUser() { movedByUser_ = false; }
    // Back to the start, with no seek under way (the video was unloaded).
    void reset();
    // The bar's value for a click at x: (x - 6) x range / (width - 19), within the range.
    int valueAt(int x) const;
    bool isDragging() const { return dragging_; }

Q_SIGNALS:
    // Every update while the player is active: the position (100 ns) and the duration (ms).
    void ticked(qint64 position, qint64 durationMs);
    // The user moved the thumb (movedByUser() is set).
    void moved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void tick();
    void seekTo(int value);
    void send(qint64 target);
    void seekDone();

    media::MpvPlayer& mpv_;
    QTimer timer_;
    qint64 position_ = 0;
    bool movedByUser_ = false;
    bool dragging_ = false;
    bool resume_ = false;           // the video played when the button went down
    bool inFlight_ = false;         // a seek was sent and has not finished
    QElapsedTimer sent_;            // since the seek under way was sent
    std::optional<qint64> waiting_; // the latest position asked for meanwhile
};

} // namespace tavimo
