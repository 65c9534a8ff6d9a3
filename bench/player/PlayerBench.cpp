// Plays three fixture videos in the player window, through its playback rules, the libmpv
// player and the software video view, and measures until the picture is painted: opening a
// video (against libmpv alone opening the same file with the player's options and drawing
// its first frame at the same size, in the same run), a one-minute jump and a frame step,
// both while paused. Each figure is the median of several runs. Then it plays on through the
// album for 200 openings and reports how much resident memory they added.
#include "BenchSupport.h"
#include "core/AlbumFiles.h"
#include "core/AppState.h"
#include "core/BookFile.h"
#include "core/BookPaths.h"
#include "core/LibrarySession.h"
#include "core/Playback.h"
#include "core/VolumeTable.h"
#include "media/MpvPlayer.h"
#include "ui/MessageOnlyDialogs.h"
#include "ui/player/PlayerMenu.h"
#include "ui/player/PlayerWindow.h"
#include "ui/player/SoftwareVideoView.h"
#include "ui/player/VideoSurface.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <iterator>
#include <mpv/client.h>
#include <mpv/render.h>
#include <mutex>

using namespace tavimo;
using bench::fixture;
using bench::fixturesPresent;
using bench::NoVolumes;
using bench::QuietDialogs;

namespace {

constexpr int kRuns = 11;
constexpr int kWarmUpOpenings = 30;
constexpr int kCountedOpenings = 200;
constexpr int kReadings = 10; // of resident memory at the end of each pass
constexpr qint64 kSecond = 10'000'000;
const char* const kFiles[] = {"h264_1920x1080_75s.mp4", "mkv_h264_1280x720.mkv", "long_60s.mp4"};

double median(QList<double> values) {
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Every fixture's top-left quadrant is red.
bool isRed(QRgb c) {
    return qRed(c) > 150 && qGreen(c) < 100 && qBlue(c) < 100;
}

// Times from a command to the next picture that libmpv drew and the video view painted; with
// a test, the first such picture that passes it.
class PaintClock : public QObject {
public:
    explicit PaintClock(ui::SoftwareVideoView* view) : view_(view) {
        connect(view_, &ui::SoftwareVideoView::framePainted, this, &PaintClock::painted);
    }
    // Runs `command` and returns the milliseconds until the picture is painted (-1: none
    // within 20 s).
    template <typename Command>
    double time(Command command, std::function<bool(const QImage&)> test = {}) {
        paintedAt_ = -1;
        ++round_;
        test_ = std::move(test);
        waiting_ = true;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop_, &QEventLoop::quit);
        timeout.start(20000);
        clock_.start();
        command();
        if (waiting_)
            loop_.exec();
        waiting_ = false;
        return paintedAt_;
    }

private:
    void painted() {
        if (!waiting_)
            return;
        const double at = clock_.nsecsElapsed() / 1e6;
        if (!test_) {
            done(at);
            return;
        }
        // The picture is looked at once this paint is over, unless another timing has begun.
        QTimer::singleShot(0, this, [this, at, round = round_] {
            if (waiting_ && round == round_ && test_(view_->grab(view_->target()).toImage()))
                done(at);
        });
    }

    void done(double at) {
        paintedAt_ = at;
        waiting_ = false;
        loop_.quit();
    }

    ui::SoftwareVideoView* view_;
    std::function<bool(const QImage&)> test_;
    QEventLoop loop_;
    QElapsedTimer clock_;
    double paintedAt_ = -1;
    int round_ = 0;
    bool waiting_ = false;
};

// The first frame of every fixture: red top left, black bottom right (it turns white at 0.3 s
// and yellow at 2 s).
bool firstFrame(const QImage& picture) {
    const int w = picture.width(), h = picture.height();
    const QRgb bottomRight = picture.pixel(w * 3 / 4, h * 3 / 4);
    return isRed(picture.pixel(w / 4, h / 4)) && qRed(bottomRight) < 60 &&
           qGreen(bottomRight) < 60 && qBlue(bottomRight) < 60;
}

// libmpv alone with the player's options, drawing with its software renderer.
class MpvAlone {
public:
    MpvAlone() {
        mpv_ = mpv_create();
        media::setPlayerOptions(mpv_, media::MpvPlayer::Output::SilentSurface);
        mpv_initialize(mpv_);
        char api[] = MPV_RENDER_API_TYPE_SW;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, api},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_create(&render_, mpv_, params);
        mpv_render_context_set_update_callback(render_, &MpvAlone::updated, this);
    }
    ~MpvAlone() {
        mpv_render_context_free(render_);
        mpv_terminate_destroy(mpv_);
    }

    // Milliseconds from loading `path` to its first frame drawn at `size` (-1: none in 20 s).
    double open(const QString& path, QSize size) {
        QImage picture(size, QImage::Format_RGB32);
        const QByteArray file = path.toUtf8();
        const char* load[] = {"loadfile", file.constData(), "replace", nullptr};
        mpv_command_async(mpv_, 0, load);
        const double drawn = drawUntil(picture, firstFrame);
        // The picture left for the next run is a later one: 2.5 s in, paused.
        setPause(true);
        const char* seek[] = {"seek", "2.5", "absolute+exact", nullptr};
        mpv_command_async(mpv_, 0, seek);
        drawUntil(picture, [](const QImage& p) {
            const QRgb c = p.pixel(p.width() * 3 / 4, p.height() * 3 / 4);
            return qRed(c) > 150 && qGreen(c) > 150 && qBlue(c) < 100;
        });
        const char* stop[] = {"stop", nullptr};
        mpv_command_async(mpv_, 0, stop);
        return drawn;
    }

private:
    // Draws each new frame into `picture` until one passes `test`: the milliseconds it took,
    // or -1 after 20 s. The file is played once loaded (it was loaded paused, as the player
    // does).
    double drawUntil(QImage& picture, const std::function<bool(const QImage&)>& test) {
        QElapsedTimer clock;
        clock.start();
        bool frame = false;
        while (clock.elapsed() < 20000) {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(5), [this] { return pending_; });
            pending_ = false;
            lock.unlock();
            for (mpv_event* e = mpv_wait_event(mpv_, 0); e->event_id != MPV_EVENT_NONE;
                 e = mpv_wait_event(mpv_, 0))
                if (e->event_id == MPV_EVENT_FILE_LOADED)
                    setPause(false);
            frame = frame || (mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME);
            if (!frame)
                continue;
            frame = false;
            int dimensions[2] = {picture.width(), picture.height()};
            size_t stride = size_t(picture.bytesPerLine());
            char format[] = "bgr0";
            mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, dimensions},
                                         {MPV_RENDER_PARAM_SW_FORMAT, format},
                                         {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                         {MPV_RENDER_PARAM_SW_POINTER, picture.bits()},
                                         {MPV_RENDER_PARAM_INVALID, nullptr}};
            mpv_render_context_render(render_, params);
            if (test(picture))
                return clock.nsecsElapsed() / 1e6;
        }
        return -1;
    }

    // Nothing that waits for libmpv's core runs here: the core may be waiting for this thread
    // to draw.
    void setPause(bool on) {
        int flag = on ? 1 : 0;
        mpv_set_property_async(mpv_, 0, "pause", MPV_FORMAT_FLAG, &flag);
    }

    static void updated(void* self) {
        auto* alone = static_cast<MpvAlone*>(self);
        std::lock_guard lock(alone->mutex_);
        alone->pending_ = true;
        alone->wake_.notify_one();
    }

    mpv_handle* mpv_ = nullptr;
    mpv_render_context* render_ = nullptr;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool pending_ = false;
};

// Seeks the player and waits until libmpv has the picture there.
void seekAndWait(media::MpvPlayer& mpv, qint64 position) {
    QEventLoop loop;
    QObject::connect(&mpv, &media::MpvPlayer::seekFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (mpv.seek(position))
        loop.exec();
    QTimer::singleShot(100, &loop, &QEventLoop::quit); // the picture of that seek is painted
    loop.exec();
}

struct Figures {
    double open = -1, alone = -1, jump = -1, stepForward = -1, stepBack = -1;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList names(std::begin(kFiles), std::end(kFiles));
    if (!fixturesPresent(names))
        return 1;
    QStringList entries;
    for (const QString& name : names)
        entries.append(QFileInfo(fixture(name)).absoluteFilePath());

    // A book with one album holding the three videos.
    QTemporaryDir dir;
    AppState state;
    state.libraryFolder = dir.path() + u'/';
    const BookPaths book = BookPaths::of(state.libraryFolder, QStringLiteral("本"));
    QDir().mkpath(book.imagesFolder);
    bookfile::write(book.bookFile, {{QStringLiteral("旅")}}, BookMode::Normal);
    albumfile::write(AlbumPaths::of(book, QStringLiteral("旅")).album, entries);
    QuietDialogs dialogs;
    NoVolumes volumes;
    LibrarySession session(dir.path(), dialogs, volumes);
    if (session.loadBook(QStringLiteral("本")) != Book::LoadResult::Loaded ||
        !session.openAlbum(0)) {
        std::fprintf(stderr, "the album could not be opened\n");
        return 1;
    }

    state.fixVideoDisplay = true; // the timings are taken on the software view
    PlayerWindow player(session, state, dialogs, nullptr, media::MpvPlayer::Output::SilentSurface);
    player.resize(800, 600);
    player.show();
    Playback& playback = player.playback();
    media::MpvPlayer& mpv = player.mpv();
    auto* view = player.videoSurface().findChild<ui::SoftwareVideoView*>();
    if (!view) {
        std::fprintf(stderr, "the player does not draw with the software view\n");
        return 1;
    }
    PaintClock clock(view);
    MpvAlone alone;
    std::printf("window 800 x 600, software video view, %d runs each, medians\n", kRuns);

    QList<Figures> results;
    for (int file = 0; file < int(entries.size()); ++file) {
        QList<double> opens, alones, jumps, forward, back;
        // A first open warms the file cache and the decoders; it is not counted.
        clock.time([&] { player.playVideo(file, false); }, firstFrame);
        for (int run = 0; run < kRuns; ++run) {
            const auto throughPlayer = [&] {
                // The picture left from the run before is a later one, never the first frame.
                playback.pause();
                seekAndWait(mpv, 25 * kSecond / 10);
                opens.append(clock.time([&] { player.playVideo(file, false); }, firstFrame));
                playback.pause(); // nothing plays while libmpv alone is timed
            };
            // Taken in turns, so that neither always runs second.
            if (run % 2)
                throughPlayer();
            alones.append(alone.open(entries.at(file), mpv.pictureRect().size()));
            if (run % 2 == 0)
                throughPlayer();
        }
        playback.pause();
        // One minute back from near the end (to the start for the short videos), and forward
        // again where the video is long enough.
        const qint64 length = mpv.durationMs() * 10000;
        const qint64 late = std::min(length - 2 * kSecond, 65 * kSecond);
        for (int run = 0; run < kRuns; ++run) {
            seekAndWait(mpv, late);
            jumps.append(clock.time([&] { playback.jump(-Playback::kOneMinute); }));
            if (late >= Playback::kOneMinute)
                jumps.append(clock.time([&] { playback.jump(Playback::kOneMinute); }));
        }
        // Halfway between keyframes where the video is long enough (x264 puts one every 10 s).
        seekAndWait(mpv, std::min<qint64>(length / 2, 15 * kSecond));
        for (int run = 0; run < kRuns; ++run) {
            forward.append(clock.time([&] { playback.frameStep(true); }));
            back.append(clock.time([&] { playback.frameStep(false); }));
        }
        Figures f{median(opens), median(alones), median(jumps), median(forward), median(back)};
        std::printf("%s: open to first frame %.1f ms (mpv alone %.1f ms), 1-minute jump %.1f "
                    "ms, frame step forward %.1f ms, back %.1f ms\n",
                    kFiles[file], f.open, f.alone, f.jump, f.stepForward, f.stepBack);
        results.append(f);
    }
    // While the 1080p video plays: from a choice in "アスペクト比" or "上下をカット" to the next
    // frame drawn, each time another choice than the one before.
    QList<double> aspects, crops;
    clock.time([&] { player.playVideo(0, false); }, firstFrame);
    const PlayerActions& menu = player.playerActions();
    for (int run = 0; run < kRuns; ++run) {
        aspects.append(clock.time([&] { menu.aspectItems.at(run % 2 ? 0 : 5)->trigger(); }));
        crops.append(clock.time([&] { menu.cropItems.at(run % 2 ? 0 : 2)->trigger(); }));
    }
    std::printf("%s while playing: aspect change %.1f ms, crop change %.1f ms\n", kFiles[0],
                median(aspects), median(crops));

    // Continuous play through the album ("連続再生") with the renderer the program chooses by
    // itself (OpenGL where a context can be made: with QT_QPA_PLATFORM=xcb under an X server;
    // offscreen it is the software view), each video a tenth of a second: what the openings
    // leave behind. The first pass warms libmpv, the decoders and the allocator.
    state.fixVideoDisplay = false;
    player.rendererOptionsChanged();
    const auto playOne = [&](int file) {
        QEventLoop loop;
        QObject::connect(&playback, &Playback::playing, &loop,
                         [&] { QTimer::singleShot(100, &loop, &QEventLoop::quit); });
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        player.playVideo(file, true);
        loop.exec();
    };
    // Memory is read at the same point each time: the first video just opened. What one reading
    // holds depends on the frames and textures in flight at that instant, so each pass ends
    // with ten openings of the first video and takes the median of their readings; a leak
    // still shows as the difference between the passes.
    const auto playOnThenMeasure = [&](int openings) {
        for (int i = 0; i < openings; ++i)
            playOne(i % int(entries.size()));
        QList<double> readings;
        for (int i = 0; i < kReadings; ++i) {
            playOne(0);
            readings.append(bench::residentMegabytes());
        }
        return median(readings);
    };
    const double residentBefore = playOnThenMeasure(kWarmUpOpenings);
    const double growth = playOnThenMeasure(kCountedOpenings) - residentBefore;
    std::printf("%d openings in continuous play after %d to warm up: resident %.1f MB, then "
                "%.1f MB\n",
                kCountedOpenings, kWarmUpOpenings, residentBefore, residentBefore + growth);
    player.close();
    const Figures& hd = results.first();
    std::printf("player: open to first frame %.0f ms (mpv alone %.0f ms), 1-minute jump %.0f ms, "
                "frame step %.0f ms, aspect change %.0f ms, crop change %.0f ms, %d openings "
                "grow resident memory by %.1f MB\n",
                hd.open, hd.alone, hd.jump, hd.stepForward, median(aspects), median(crops),
                kCountedOpenings, growth);
    return 0;
}
