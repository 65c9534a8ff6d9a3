#pragma once

#include "media/MediaFacts.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QStringList>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <optional>
#include <utility>

struct mpv_handle;
struct mpv_event;

namespace tavimo::media {

// Plays one file at a time with libmpv, in the program's own units: positions in 100 ns,
// durations in milliseconds, volume 0..10000. Lives on the interface thread; nothing it does
// there waits for a file to open: loadFile answers through loaded(), and libmpv's events
// arrive as queued calls.
//
// Only the one regular file given is played: it is probed first (Input refuses FIFOs,
// playlists and lists of other files), and libmpv follows no references to other files.
// When libmpv cannot start, the player is unavailable: available() is false,
// unavailableReason() says why, and every file fails to load with that reason; the program
// runs on without a player.
class MpvPlayer : public QObject {
    Q_OBJECT
public:
    enum class Output {
        Headless,      // no picture, no sound (tests, thumbnail work)
        Surface,       // pictures drawn by a VideoSurface through the render API, sound on
        SilentSurface, // pictures drawn by a VideoSurface, no sound (window tests)
    };
    // What loaded() reports.
    enum LoadResult {
        LoadFailed = -1,         // could not be opened or played
        Loaded = 0,              // every track plays
        LoadedWithoutATrack = 1, // opened, but a track has no decoder and is left out
    };
    // Playback state; Inactive while the player is not active.
    enum State { Inactive = 0, Stopped = 1, Paused = 2, Playing = 3 };

    // libmpv options (name, value) set after the player's own, for a caller that tunes them.
    using LibmpvOptions = QList<std::pair<QByteArray, QByteArray>>;

    explicit MpvPlayer(Output output = Output::Headless, QObject* parent = nullptr);
    MpvPlayer(Output output, const LibmpvOptions& options, QObject* parent = nullptr);
    ~MpvPlayer() override;

    // False when libmpv could not be started; then nothing plays.
    bool available() const { return mpv_ != nullptr; }
    const QString& unavailableReason() const { return unavailable_; }

    // Active on makes the player ready to load files (emits activated()); off unloads the
    // file. An inactive player loads nothing.
    void setActive(bool on);
    bool isActive() const { return active_; }

    // Starts loading `path` paused; loaded(result, error) follows (LoadFailed at once when
    // inactive). A second call abandons the first, and the first's probe stops reading.
    void loadFile(const QString& path);
    bool isLoading() const { return file_.loading; }
    // Whether a file is loaded (from loaded() on, until it is closed or fails).
    bool isLoaded() const { return file_.loaded; }
    // The file loaded last and what it holds (valid from loaded() on).
    const QString& path() const { return file_.path; }
    const MediaFacts& facts() const { return file_.facts; }
    // Stops and unloads the file; the player stays active.
    void closeFile();

    bool play();
    bool pause();
    State state() const;

    // 0..10000, clamped; kept for every later file. 0 is silence.
    void setVolume(int volume);
    int volume() const { return volume_; }
    // Kept for every later file.
    void setSpeed(double speed);
    double speed() const { return speed_; }

    qint64 durationMs() const;
    // The position and where playing ends (the end of the file, or the end set by seek) in
    // 100 ns units; false without a file.
    bool position(qint64* now, qint64* end = nullptr) const;
    // Seeks exactly to `position` (100 ns); an `end` makes playing stop there (endOfFile).
    bool seek(qint64 position, std::optional<qint64> end = std::nullopt);
    // One frame forward or back; leaves the player paused.
    bool frameStep(bool forward);

    // The video's own size (coded, turned by its rotation), its displayed proportions and the
    // time one frame shows in 100 ns units; 0 without video.
    int videoWidth() const;
    int videoHeight() const;
    QSize displaySize() const;
    qint64 frameDuration() const;

    // The part of the picture shown, in video pixels (the rows cut at top and bottom); an
    // empty or whole rectangle shows the whole picture. False when it does not lie inside
    // the picture.
    bool setCropRect(const QRect& rect);
    QRect cropRect() const { return file_.crop; }
    // Where the picture is drawn inside the video surface (widget pixels).
    void setPictureRect(const QRect& rect);
    QRect pictureRect() const { return pictureRect_; }

    // Audio tracks of the file (1-based numbers) and the one that plays.
    int audioTrackCount() const { return file_.facts.audioCount(); }
    bool selectAudioTrack(int number);
    int audioTrack() const { return file_.audioTrack; }

    // The picture on screen at the video's own size (after the crop), or at the picture
    // rectangle's size; null without a picture.
    QImage currentPicture() const;
    QImage displayedPicture() const;

    // For VideoSurface: the libmpv handle its render context binds to; null when unavailable.
    mpv_handle* handle() const { return mpv_; }

    // Probes of files that were read to their end, abandoned ones that still finished
    // included: a later file never waits behind the probes of files left before.
    int probesFinished() const { return probesFinished_; }

Q_SIGNALS:
    void loaded(int result, const QString& error);
    void endOfFile(); // the end of the file (or the end given to seek) was reached
    void fileError(); // libmpv gave up on the file after it had loaded
    void activated();
    void seekFinished(); // the picture and position of the last seek or frame step are there
    void pictureRectChanged(const QRect& rect);
    void aboutToShutDown(); // the handle is about to go: drop render contexts now

private:
    // What belongs to the file being loaded or played. Every opening and every close replaces
    // it whole: nothing of a file before can answer for the next one.
    struct FileState {
        quint64 generation = 0; // tags libmpv's answers and the probe's calls for this file
        QString path;
        // Raised when the file is left: its probe stops reading (it may wait behind others).
        std::shared_ptr<std::atomic<bool>> probeCancel;
        bool loading = false;
        bool loaded = false;
        bool stopped = false; // loaded and not played yet (or stopped)
        bool eof = false;
        // libmpv's loadfile of this file; a second one (leaving a track out) replaces it.
        struct Load {
            bool sent = false;          // loadfile has gone to libmpv
            int64_t entryId = 0;        // libmpv's playlist entry for it; 0 until known
            bool takeNextStart = false; // an older libmpv names no entry: its next start
            bool done = false;          // libmpv has loaded it
            QString error;              // libmpv gave up before the probe had read the tracks
        } load;
        bool factsIn = false; // the probe has read the tracks
        MediaFacts facts;
        double timePos = 0;               // seconds, as libmpv last reported
        double duration = 0;              // seconds, libmpv's own once it has said
        std::optional<double> seekTarget; // reported until libmpv has finished the seek
        quint64 seekSent = 0;             // reply tag of the last seek sent...
        quint64 seekTaken = 0;            // ...and of the last one libmpv took
        std::optional<double> stepFrom;   // a forward frame step is under way from here
        std::optional<double> end;        // seconds
        QRect crop;
        int audioTrack = 0;
    };

    // reply_userdata of a loadfile: this bit and the generation of the file that sent it;
    // of a seek: this bit and the seek's tag.
    static constexpr uint64_t loadReply = uint64_t(1) << 63;
    static constexpr uint64_t seekReply = uint64_t(1) << 62;

    static void wakeUp(void* self);
    void drainEvents();
    void handle(const mpv_event& event);
    void propertyChanged(const mpv_event& event);
    void fileStarted(int64_t entryId);
    void fileLoaded();
    void fileEnded(const mpv_event& event);
    void accepted(quint64 generation);
    void loadAnswered(quint64 generation, const mpv_event& event);
    void probed(quint64 generation, const MediaFacts& facts);
    void finishOpening();
    void sendLoad(QStringList options);
    void seekAnswered(quint64 tag, int error);
    void finishLoad(int result, const QString& error);
    void resetFile();
    void command(std::initializer_list<const char*> args);
    void setFlag(const char* name, bool value);
    void setNumber(const char* name, double value);
    QImage screenshot() const;
    QRect codedRect(const QRect& shown) const;

    mpv_handle* mpv_ = nullptr;
    QString unavailable_;
    QThreadPool probePool_;
    std::atomic<bool> drainQueued_{false};
    FileState file_;
    int64_t startedId_ = 0; // the playlist entry of libmpv's last START_FILE
    quint64 seekTags_ = 0;  // reply tags of seeks, never reused
    bool active_ = false;
    bool paused_ = true;
    int volume_ = 10000;
    double speed_ = 1.0;
    QRect pictureRect_;
    int probesFinished_ = 0;
};

// The mpv volume (0..100) for a volume of 0..10000: the attenuation
// round(ln(v + 1) x 1085.73) - 10000 hundredths of a decibel, as amplitude in percent.
double mpvVolume(int volume);

} // namespace tavimo::media
