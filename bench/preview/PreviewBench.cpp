// Previews of the 1080p H.264 fixture, through the program's own objects:
//   - making a strip of ten frames (PreviewStrips::make, as the pool's workers do), against the
//     ffmpeg command taking one frame with `-ss T -i FILE -frames:v 1` at the same ten times;
//   - from the pointer moving onto a cell's picture in an album's grid to the cell showing the
//     preview (CellPreview), with the strip on disk (a new session: nothing in memory), in
//     memory, and made on demand;
//   - adding files to an album while the pointer goes from cell to cell;
//   - in the player window playing the video (libmpv, drawn by the software video view): the
//     frames libmpv drops in 10 s without previews and in 10 s while the pointer sweeps the seek
//     bar with its preview window (SeekPreview), and from the pointer's move over the bar to its
//     picture shown.
// Each time is the median of several runs.
#include "BenchSupport.h"
#include "core/Album.h"
#include "core/AlbumFiles.h"
#include "core/AppState.h"
#include "core/BookFile.h"
#include "core/BookPaths.h"
#include "core/LibrarySession.h"
#include "core/Playback.h"
#include "core/PreviewSteps.h"
#include "core/PreviewStripCache.h"
#include "media/MpvPlayer.h"
#include "media/PreviewDecoder.h"
#include "media/PreviewStrips.h"
#include "media/ThumbnailPool.h"
#include "ui/grid/GridBinding.h"
#include "ui/grid/ScrollBox.h"
#include "ui/player/PlayerControlBar.h"
#include "ui/player/PlayerWindow.h"
#include "ui/player/SeekBar.h"
#include "ui/preview/CellPreview.h"
#include "ui/preview/SeekPreview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <mpv/client.h>

using namespace tavimo;
using namespace tavimo::media;
using bench::fixture;

namespace {

constexpr int kRuns = 9;
constexpr qint64 kSecond = 10'000'000;
const QString kVideo = QStringLiteral("h264_1920x1080_75s.mp4");

double median(QList<double> values) {
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double msSince(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e6;
}

// Runs the event loop for `ms`.
void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs `start`, then the event loop until `arrived` is called (true) or 20 s pass (false).
bool startAndWait(const std::function<void()>& start, std::function<void()>& arrived) {
    QEventLoop loop;
    bool done = false;
    arrived = [&] {
        done = true;
        loop.quit();
    };
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    start();
    if (!done)
        loop.exec();
    arrived = [] {};
    return done;
}

// Ten runs of the ffmpeg command at the strip's ten times, one after the other. The sound is
// left out (-an): otherwise the command would go on through the whole audio track.
double ffmpegTenSeeks(const QString& path, qint64 duration) {
    QElapsedTimer clock;
    clock.start();
    for (int step = 0; step < preview::kSteps; ++step) {
        const double seconds = double(preview::stepPosition(step, duration)) / kSecond;
        QProcess::execute("ffmpeg", {"-nostdin", "-v", "error", "-ss", QString::number(seconds),
                                     "-i", path, "-frames:v", "1", "-an", "-f", "null", "-"});
    }
    return msSince(clock);
}

// The pointer moves to `at` of `widget`, or leaves it.
void pointerTo(QWidget& widget, QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
}
void pointerLeaves(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
}

// An album of one video in a grid on screen, as the album window shows it.
struct Grid {
    explicit Grid(const QString& path) {
        album.append(path, {});
        grid.resize(400, 300);
        grid.show();
        grid.layOut();
    }
    // The pointer moves onto the cell's picture, to the middle of `step`'s tenth.
    void moveTo(int step) {
        const QRect cell = grid.cellRect(0);
        const QRect picture = grid.cellAt(0)->geometry().picture.translated(cell.topLeft());
        pointerTo(*grid.viewport(), QPointF(picture.left() + picture.width() * (2 * step + 1) / 20,
                                            picture.center().y()));
    }
    void leave() { pointerLeaves(*grid.viewport()); }

    Album album;
    ScrollBox grid;
    GridBinding binding{album, grid};
};

// From the pointer's move onto the cell's picture at `step` to the cell showing the preview.
double hoverToPicture(Grid& g, CellPreview& preview, int step) {
    std::function<void()> arrived = [] {};
    const QMetaObject::Connection c =
        QObject::connect(&preview, &CellPreview::shown, [&](int) { arrived(); });
    QElapsedTimer clock;
    clock.start();
    const bool ok = startAndWait([&] { g.moveTo(step); }, arrived);
    const double ms = msSince(clock);
    QObject::disconnect(c);
    return ok ? ms : -1;
}

// Thumbnails of `files` made by the pool, while `meanwhile` runs every 100 ms when given.
double addFiles(ThumbnailPool& pool, const QStringList& files,
                const std::function<void(int)>& meanwhile) {
    QEventLoop loop;
    const QMetaObject::Connection c =
        QObject::connect(&pool, &ThumbnailPool::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    int ticks = 0;
    if (meanwhile)
        QObject::connect(&tick, &QTimer::timeout, [&] { meanwhile(ticks++); });
    QElapsedTimer clock;
    clock.start();
    pool.start(files, GrabPoint::FirstFrame);
    if (meanwhile) {
        meanwhile(ticks++);
        tick.start(100);
    }
    loop.exec();
    const double ms = msSince(clock);
    QObject::disconnect(c);
    return ms;
}

struct Drops {
    qint64 frames = 0;  // frame-drop-count: dropped by the video output
    qint64 decoder = 0; // decoder-frame-drop-count
};

Drops dropsOf(MpvPlayer& engine) {
    Drops d;
    mpv_get_property(engine.handle(), "frame-drop-count", MPV_FORMAT_INT64, &d.frames);
    mpv_get_property(engine.handle(), "decoder-frame-drop-count", MPV_FORMAT_INT64, &d.decoder);
    return d;
}

// Plays the video for `seconds`, while `during` runs every 16 ms when given; the drops of that
// time.
Drops playFor(MpvPlayer& engine, int seconds, const std::function<void(double)>& during) {
    const Drops before = dropsOf(engine);
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    if (during) {
        QObject::connect(&tick, &QTimer::timeout,
                         [&] { during(double(clock.elapsed()) / (seconds * 1000.0)); });
        tick.start(16);
    }
    spin(seconds * 1000);
    tick.stop();
    const Drops after = dropsOf(engine);
    return {after.frames - before.frames, after.decoder - before.decoder};
}

// The pointer over the seek bar, `along` (0..1) of the way across it.
void pointerOverBar(SeekBar& bar, double along) {
    pointerTo(bar, QPointF(6 + along * (bar.width() - 19), bar.height() / 2));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is measured
    if (!bench::fixturesPresent({kVideo}))
        return 1;
    const QString path = QFileInfo(fixture(kVideo)).absoluteFilePath();
    PreviewDecoder probe;
    if (!probe.open(path)) {
        std::fprintf(stderr, "%s cannot be decoded\n", qPrintable(path));
        return 1;
    }
    const qint64 duration = probe.duration();
    std::printf("%s, %.1f s, %d runs each, medians\n", qPrintable(kVideo),
                double(duration) / kSecond, kRuns);

    // Strips, against the ffmpeg command, taken in turns.
    PreviewStrips::make(path); // reads the file into the page cache
    QList<double> stripTimes, commands;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        const bool made = PreviewStrips::make(path).has_value();
        stripTimes.append(made ? msSince(clock) : -1);
        commands.append(ffmpegTenSeeks(path, duration));
    }
    const double x = median(stripTimes), f = median(commands);
    std::printf("strip of 10 frames: %.1f ms; ffmpeg command at the same 10 times: %.1f ms "
                "(goal: strip at most a fifth, %.1f ms)\n",
                x, f, f / 5);

    // Hovering a cell. Each session starts with nothing in memory, as after a restart.
    QTemporaryDir dir;
    ThumbnailPool pool;
    Grid grid(path);
    QList<double> onDisk, inMemory, made;
    for (int run = 0; run < kRuns; ++run) {
        auto cache = std::make_shared<PreviewStripCache>(dir.filePath("cache"));
        QDir(cache->folder()).removeRecursively();
        {
            CellPreview fresh(grid.grid, grid.album, pool, cache);
            made.append(hoverToPicture(grid, fresh, 5));
            for (int wait = 0; wait < 200 && cache->usedBytes() == 0; ++wait)
                spin(10); // the whole strip is stored
            grid.leave();
        }
        CellPreview later(grid.grid, grid.album, pool, cache);
        onDisk.append(hoverToPicture(grid, later, 3));
        inMemory.append(hoverToPicture(grid, later, 7));
        grid.leave();
    }
    const double c = median(onDisk), u = median(made);
    std::printf("hover to picture: strip on disk %.2f ms, in memory %.2f ms (goal 16 ms); "
                "strip made on demand %.1f ms (goal 150 ms)\n",
                c, median(inMemory), u);

    // Adding files while the pointer goes from cell to cell, a new one every 100 ms, each
    // with its strip to make, and the cells on screen waiting for theirs.
    QStringList added, cells;
    for (int i = 0; i < 4; ++i)
        for (const QString& name : bench::kSmallVideos)
            added.append(fixture(name));
    for (const QString& name : bench::kSmallVideos)
        cells.append(fixture(name));
    cells.append(path);
    QList<double> alone, hovered;
    for (int run = 0; run < kRuns; ++run) {
        alone.append(addFiles(pool, added, {}));
        auto cache = std::make_shared<PreviewStripCache>(dir.filePath("adding"));
        QDir(cache->folder()).removeRecursively();
        PreviewStrips strips(cache, pool);
        QList<PreviewVideo> onScreen;
        for (int i = 0; i < cells.size(); ++i)
            onScreen.append({quint64(100 + i), cells.at(i)});
        strips.prefetch(onScreen);
        hovered.append(addFiles(pool, added, [&](int tick) {
            const int cell = tick % int(cells.size());
            strips.hover(quint64(cell), cells.at(cell), tick % preview::kSteps);
        }));
        pool.threads().waitForDone(); // strips still in work end before the next run
    }
    const double addAlone = median(alone), addHovered = median(hovered);
    std::printf("adding %lld files: %.0f ms, while the pointer moves over cells %.0f ms (%+.1f %%; "
                "goal at most +10 %%)\n",
                static_cast<long long>(added.size()), addAlone, addHovered,
                (addHovered / addAlone - 1) * 100);

    // The player window playing the video, from a book with one album that holds it.
    AppState state;
    state.libraryFolder = dir.filePath("library") + u'/';
    const BookPaths book = BookPaths::of(state.libraryFolder, QStringLiteral("本"));
    QDir().mkpath(book.imagesFolder);
    bookfile::write(book.bookFile, {{QStringLiteral("旅")}}, BookMode::Normal);
    albumfile::write(AlbumPaths::of(book, QStringLiteral("旅")).album, {path});
    bench::QuietDialogs dialogs;
    bench::NoVolumes volumes;
    LibrarySession session(dir.filePath("library"), dialogs, volumes);
    if (session.loadBook(QStringLiteral("本")) != Book::LoadResult::Loaded ||
        !session.openAlbum(0)) {
        std::fprintf(stderr, "the album could not be opened\n");
        return 1;
    }
    PlayerWindow player(session, state, dialogs, nullptr, MpvPlayer::Output::SilentSurface);
    player.resize(800, 600);
    player.show();
    SeekBar& bar = *player.controls().seekBar;
    SeekPreview preview(bar, &player);
    std::function<void()> started = [] {};
    QObject::connect(&player.playback(), &Playback::playing, [&] { started(); });
    Drops idle{-1, -1}, hovering{-1, -1};
    QList<double> seekTimes;
    int pictures = 0;
    if (!startAndWait([&] { player.playVideo(0, false); }, started)) {
        std::fprintf(stderr, "the player could not play %s\n", qPrintable(path));
    } else {
        preview.setVideo(path);
        spin(1000); // playback settles; the bar knows the duration
        idle = playFor(player.mpv(), 10, {});
        QObject::connect(&preview, &SeekPreview::pictureShown, [&] { ++pictures; });
        // The pointer sweeps the bar back and forth, once every two seconds.
        hovering = playFor(player.mpv(), 10, [&](double fraction) {
            const double sweep = std::fmod(fraction * 5, 2.0);
            pointerOverBar(bar, sweep < 1 ? sweep : 2 - sweep);
        });
        std::printf("playing 10 s in the player window: without previews %lld frames dropped "
                    "(decoder %lld); while the pointer sweeps the seek bar %lld dropped "
                    "(decoder %lld), %d preview pictures shown\n",
                    static_cast<long long>(idle.frames), static_cast<long long>(idle.decoder),
                    static_cast<long long>(hovering.frames),
                    static_cast<long long>(hovering.decoder), pictures);

        // The pointer jumps to random places of the bar, each once the last one's picture came
        // and its exact frame had time to follow.
        QRandomGenerator random(7);
        std::function<void()> shown = [] {};
        QObject::connect(&preview, &SeekPreview::pictureShown, [&] { shown(); });
        for (int i = 0; i <= 4 * kRuns; ++i) {
            const double along = random.generateDouble();
            QElapsedTimer clock;
            clock.start();
            if (!startAndWait([&] { pointerOverBar(bar, along); }, shown))
                break;
            if (i > 0) // the first opens the video
                seekTimes.append(msSince(clock));
            spin(300);
        }
        preview.leave();
    }
    const double seekFrame = median(seekTimes);
    std::printf("seek bar, pointer to picture while the video plays: %.1f ms (worst %.1f ms; "
                "goal 100 ms)\n",
                seekFrame,
                seekTimes.isEmpty() ? -1.0 : *std::max_element(seekTimes.begin(), seekTimes.end()));
    std::printf("preview: strip of 10 frames %.0f ms (ffmpeg CLI, 10 seeks: %.0f ms), hover to "
                "picture cached %.1f ms, uncached %.0f ms, seek-bar frame %.0f ms, player frames "
                "dropped while hovering %lld\n",
                x, f, c, u, seekFrame, static_cast<long long>(hovering.frames + hovering.decoder));
    return 0;
}
