#pragma once

#include "core/Problem.h"

#include <QObject>
#include <QString>

namespace tavimo {

class LibrarySession;
class PlaybackBackend;

// The rules of playing the open album's videos: which video plays, opening it (finding a
// media album's medium first), continuous play, next and previous, the end of a video, play
// counts (not in a read-only album), bookmarks, minute jumps and frame steps. It drives a
// PlaybackBackend and tells the player window what to show through signals; it holds no widget.
class Playback : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kOneMinute = 600'000'000; // 100 ns units
    static constexpr qint64 kTenMinutes = 6'000'000'000;

    Playback(LibrarySession& session, PlaybackBackend& backend, QObject* parent = nullptr);

    // The video to open or being played (an index into the open album), and where the last
    // open began.
    int index() const { return index_; }
    void setIndex(int index) { index_ = index; }
    int startIndex() const { return startIndex_; }
    bool isOpening() const { return opening_; }
    bool continuous() const { return continuous_; }
    void setContinuous(bool on) { continuous_ = on; }
    bool playFromBookmark() const { return fromBookmark_; }
    void setPlayFromBookmark(bool on) { fromBookmark_ = on; }

    // Opens the video at index() and plays it.
    void openAndPlay();
    // "再生": plays unless opening or playing. "連続再生" sets continuous play first.
    void play();
    void playContinuously();
    void pause();
    // Back to the start, and play.
    void rewind();
    // The stop part of next and previous: the video stops and is unloaded.
    void stopForStep();
    void next();
    void previous();
    // Jumps by minutes (negative: back); frame steps.
    void jump(qint64 step);
    void frameStep(bool forward);
    // "ブックマークを設定" (nothing in a read-only album, whose marks are never saved),
    // "ブックマークに移動".
    void setBookmark();
    void goToBookmark();
    // The player window closes: the video stops and is unloaded.
    void closeVideo();

    // Where the bookmark marker's left edge stands on a seek bar of width barWidth; -1 hides
    // it (no bookmark, or a duration of 0, which leaves no scale to place it on).
    static int markerLeft(int barWidth, qint64 bookmark, qint64 durationMs);
    // Minutes and seconds of a count of milliseconds: "125.07" for 7,507,000.
    static QString timeText(qint64 ms);

Q_SIGNALS:
    // The album window's current video follows the one that plays.
    void currentVideoChanged(int index);
    // Opening began: the window shows, titled with the file name (marker hidden).
    void openingStarted(const QString& fileName);
    // The video plays: its duration and bookmark, for the labels and the marker.
    void playing(qint64 durationMs, qint64 bookmark);
    // The bookmark was set (the marker moves).
    void bookmarkSet(qint64 bookmark, qint64 durationMs);
    // The player must close: a video that would not open, or an album with no videos left.
    void closeRequested();
    // What the player window tells the user: the medium to insert before a video can open.
    void problemFound(const tavimo::Problem& problem);

private:
    void backendOpened(bool ok);
    void backendEnded();
    void cleanUp();
    // Media books: the drive root of the open album, found now if need be; false (with
    // problemFound) when the medium is not there.
    bool findMedium();
    void step(int delta);

    LibrarySession& session_;
    PlaybackBackend& backend_;
    int index_ = 0;
    int startIndex_ = 0;
    bool opening_ = false;
    bool continuous_ = false;
    bool fromBookmark_ = false;
};

} // namespace tavimo
