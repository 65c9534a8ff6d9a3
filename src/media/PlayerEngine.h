#pragma once

#include "media/MediaFacts.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QThreadPool>
#include <atomic>
#include <optional>
#include <utility>

struct mpv_handle;
struct mpv_event;

namespace tavimo::media {

// Plays one file at a time with libmpv, in the program's own units: positions in 100 ns,
// durations in milliseconds, volume 0..10000. Lives on the interface thread; nothing it does
// there waits for a file to open: RenderFile answers through rendered(), and libmpv's events
// arrive as queued calls.
//
// Only the one regular file given is played: it is probed first (Input refuses FIFOs,
// playlists and lists of other files), and libmpv follows no references to other files.
// When libmpv cannot start, the engine is unavailable: available() is false, unavailableReason()
// says why, and every file fails to render with that reason; the program runs on without a
// player.
class PlayerEngine : public QObject {
    Q_OBJECT
public:
    enum class Output {
        Headless,      // no picture, no sound (tests, thumbnail work)
        Surface,       // pictures drawn by a VideoSurface through the render API, sound on
        SilentSurface, // pictures drawn by a VideoSurface, no sound (window tests)
    };
    // Results of RenderFile, as the player and thumbnail code test them.
    static constexpr int RenderComplete = 0; // every stream plays
    static constexpr int RenderPartial = 1;  // opened, but a stream has no decoder
    static constexpr int RenderFailed = -1;  // could not be opened or played
    // Playback state; Uninitialised while inactive.
    enum State { Uninitialised = 0, Stopped = 1, Paused = 2, Playing = 3 };

    // libmpv options (name, value) set after the engine's own, for a caller that tunes them.
    using LibmpvOptions = QList<std::pair<QByteArray, QByteArray>>;

    explicit PlayerEngine(Output output = Output::Headless, QObject* parent = nullptr);
    PlayerEngine(Output output, const LibmpvOptions& options, QObject* parent = nullptr);
    ~PlayerEngine() override;

    // False when libmpv could not be started; then nothing plays.
    bool available() const { return mpv_ != nullptr; }
    const QString& unavailableReason() const { return unavailable_; }

    // Active on makes the engine ready to render files (emits activated()); off unloads the
    // file. An inactive engine renders nothing.
    void setActive(bool on);
    bool isActive() const { return active_; }

    // Starts opening `path` paused; rendered(code, error) follows with one of the Render codes
    // (RenderPartial at once when inactive). A second call abandons the first.
    void renderFile(const QString& path);
    bool isOpening() const { return opening_; }
    // The file rendered last and what it holds (valid from rendered() on).
    const QString& path() const { return path_; }
    const MediaFacts& facts() const { return facts_; }

    bool play();
    bool pause();
    bool stop(); // pauses and reports Stopped; the picture and the position stay
    State state() const;
    // Stops and unloads the file; the engine stays active.
    void closeFile();

    // 0..10000, clamped; kept for every later file. 0 is silence.
    void setVolume(int volume);
    int volume() const { return volume_; }
    // Kept for every later file.
    void setRate(double rate);
    double rate() const { return rate_; }

    qint64 durationMs() const;
    // Current and stop positions in 100 ns units; false without a file.
    bool positions(qint64* current, qint64* stopPosition) const;
    // Seeks exactly to `current` (100 ns); a stop position ends playback there (endOfFile).
    bool setPositions(qint64 current, std::optional<qint64> stopPosition = std::nullopt);
    // One frame forward or back; leaves the engine paused.
    bool frameStep(bool forward);

    // The video's own size (coded, turned by its rotation), its displayed proportions and the
    // average time per frame in 100 ns units; 0 without video.
    int videoWidth() const;
    int videoHeight() const;
    QSize displaySize() const;
    qint64 averageTimePerFrame() const;

    // Source rectangle in video pixels (the rows cut at top and bottom); an empty or whole
    // rectangle shows the whole picture. False when it does not lie inside the picture.
    bool setSourceRect(const QRect& rect);
    QRect sourceRect() const { return source_; }
    // Where the picture is drawn inside the video surface (widget pixels).
    void setDestinationRect(const QRect& rect);
    QRect destinationRect() const { return destination_; }

    // Audio tracks of the file (1-based numbers) and the one that plays.
    int audioTrackCount() const { return facts_.audioCount(); }
    bool selectAudioTrack(int number);
    int audioTrack() const { return audioTrack_; }

    // The picture on screen at the video's own size (after the crop), or at the destination
    // rectangle's size; null without a picture.
    QImage currentPicture() const;
    QImage displayedPicture() const;

    // For VideoSurface: the libmpv handle its render context binds to; null when unavailable.
    mpv_handle* handle() const { return mpv_; }

Q_SIGNALS:
    void rendered(int code, const QString& error);
    void endOfFile();  // the end of the stream (or the stop position) was reached
    void errorAbort(); // playback failed after the file had opened
    void userAbort();  // playback ended by the player itself being closed
    void activated();
    void seekFinished(); // the picture and position of the last seek or frame step are there
    void destinationChanged(const QRect& rect);
    void aboutToShutDown(); // the handle is about to go: drop render contexts now

private:
    static void wakeUp(void* self);
    void drainEvents();
    void handle(const mpv_event& event);
    void accepted(quint64 generation);
    void loadAnswered(quint64 generation, const mpv_event& event);
    void probed(quint64 generation, const MediaFacts& facts);
    void finishOpening();
    void load(quint64 generation, const QByteArray& options);
    void seekAnswered(quint64 number, int error);
    void finishRender(int code, const QString& error);
    void command(std::initializer_list<const char*> args);
    void setFlag(const char* name, bool value);
    void setNumber(const char* name, double value);
    void applyCrop();
    void resetFile();
    QImage screenshot() const;
    QRect codedRect(const QRect& shown) const;

    mpv_handle* mpv_ = nullptr;
    QString unavailable_;
    QThreadPool probePool_;
    std::atomic<bool> drainQueued_{false};
    // Which of libmpv's events belong to the file being opened: loadfile answers with the id
    // of its playlist entry, and FILE_LOADED follows the START_FILE of the same entry. Events
    // of a file opened before are still queued when the next one is asked for.
    int64_t entryId_ = 0;        // libmpv's id of the file being played; 0 until known
    bool takeNextStart_ = false; // a libmpv that does not answer with the id: its next start
    int64_t startedId_ = 0;      // the entry of the last START_FILE
    bool loadSent_ = false;      // loadfile has gone to libmpv for this file
    bool mpvLoaded_ = false;     // libmpv has loaded this file
    bool factsIn_ = false;       // the probe has read this file's tracks
    QString mpvError_;           // libmpv gave up on this file before its tracks were read
    bool active_ = false;
    bool opening_ = false;
    bool loaded_ = false;
    bool stopped_ = false;
    bool paused_ = true;
    bool eof_ = false;
    quint64 generation_ = 0;
    QString path_;
    MediaFacts facts_;
    int volume_ = 10000;
    double rate_ = 1.0;
    double timePos_ = 0;               // seconds, as mpv last reported
    double duration_ = 0;              // seconds
    std::optional<double> seekTarget_; // reported until mpv has finished the seek
    quint64 seeksSent_ = 0;            // numbers of the seeks sent to libmpv...
    quint64 seeksAnswered_ = 0;        // ...and of the last one it has taken
    std::optional<double> stepFrom_;   // a forward frame step is under way from here
    std::optional<double> stopAt_;     // seconds
    QRect source_;
    QRect destination_;
    int audioTrack_ = 0;
};

// The mpv volume (0..100) for a volume of 0..10000: the attenuation
// round(ln(v + 1) x 1085.73) - 10000 hundredths of a decibel, as amplitude in percent.
double mpvVolume(int volume);

} // namespace tavimo::media
