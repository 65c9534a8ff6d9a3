// Opens an album of 10,000 videos (real files, stored thumbnails) from the book window and
// measures the time until the album grid is first painted; moves one video 100 places with the
// "次へ移動" key and measures the time and the bytes written until the album is saved; then adds
// 200 videos to an empty album and measures how long that takes against the grabber working
// alone, and the longest time the interface thread did not answer a 5 ms timer meanwhile.
// Last, an album of 100,000 videos is opened to its first painted grid, with the memory the
// process holds then.
#include "BenchSupport.h"
#include "core/AlbumFiles.h"
#include "core/AppState.h"
#include "core/Book.h"
#include "core/BookPaths.h"
#include "core/DialogService.h"
#include "core/FileTrash.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "core/VolumeTable.h"
#include "media/ThumbnailPool.h"
#include "ui/MessageOnlyDialogs.h"
#include "ui/album/AlbumCommands.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/BookWindow.h"
#include "ui/grid/ScrollBox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace tavimo;
using bench::FirstPaint;
using bench::fixture;
using bench::fixturesPresent;
using bench::kSmallVideos;
using bench::NoLauncher;
using bench::NoTrash;
using bench::NoVolumes;
using bench::QuietDialogs;

namespace {

constexpr int kVideos = 10000;
constexpr int kHugeVideos = 100000;
constexpr int kAdded = 200;
constexpr int kMoves = 100;
constexpr int kProbeMs = 5;

// A figure of /proc/self: the number after `key` on its line, 0 when it is not there.
qint64 procFigure(const char* file, const QByteArray& key) {
    QFile proc(QString::fromLatin1(file));
    if (!proc.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : proc.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Bytes this process handed to write() so far (page cache included, as every save goes there).
qint64 bytesWritten() {
    return procFigure("/proc/self/io", "wchar:");
}

// Resident memory in MB: VmRSS now, or VmHWM for the peak.
double residentMb(const char* key) {
    return procFigure("/proc/self/status", key) / 1024.0;
}

// A hard link (a copy where links are refused): a real video file under its own name.
void linkVideo(const QString& from, const QString& to) {
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        QFile::copy(from, to);
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Album `name` of `book`: `count` videos linked under `folder` from the sources in turn (so that
// no file gets more links than the file system allows), each with a stored picture, a bookmark
// and a play count. Written straight, as the program's synced writes would take minutes here.
void writeAlbum(const BookPaths& book, const QString& name, const QString& folder, int count,
                const QStringList& sources, const QList<QByteArray>& pictures) {
    QDir().mkpath(folder);
    QStringList entries, marks, counts;
    Tpackedjpg store;
    for (int i = 0; i < count; ++i) {
        const QString& source = sources.at(i % sources.size());
        const QString path = folder + QStringLiteral("clip%1.").arg(i, 6, 10, QChar(u'0')) +
                             QFileInfo(source).suffix();
        linkVideo(fixture(source), path);
        entries.append(path);
        marks.append(QString::number(qint64(i) * 10'000'000));
        counts.append(QString::number(i % 5));
        store.addPicture(pictures.at(i % pictures.size()));
    }
    const AlbumPaths album = AlbumPaths::of(book, name);
    writeBytes(album.album, textfile::encodeLines(entries));
    writeBytes(album.marks, textfile::encodeLines(marks));
    writeBytes(album.counts, textfile::encodeLines(counts));
    writeBytes(album.store, store.saveToBytes(name));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!fixturesPresent(kSmallVideos))
        return 1;

    QTemporaryDir dir;
    const QString library = dir.path() + u'/';
    const QString videos = dir.path() + QStringLiteral("/videos/");
    const QString added = dir.path() + QStringLiteral("/added/");
    QDir().mkpath(videos);
    QDir().mkpath(added);

    // The book: album "大きい" of 10,000 videos with thumbnails, the empty album "追加" and
    // album "巨大" of 100,000 videos.
    const BookPaths book = BookPaths::of(library, QStringLiteral("本"));
    QDir().mkpath(book.imagesFolder);
    QList<QByteArray> pictures;
    for (int i = 0; i < 32; ++i)
        pictures.append(
            jpeg::encode(imagefunc::solidBitmap(120, 90, QColor::fromHsv(i * 11, 200, 200))));
    writeAlbum(book, QStringLiteral("大きい"), videos, kVideos, {kSmallVideos.at(0)}, pictures);
    writeBytes(AlbumPaths::of(book, QStringLiteral("追加")).album, {});
    writeAlbum(book, QStringLiteral("巨大"), dir.path() + QStringLiteral("/huge/"), kHugeVideos,
               kSmallVideos, pictures);
    writeBytes(book.bookFile,
               textfile::encodeLines(
                   {QStringLiteral("大きい"), QStringLiteral("追加"), QStringLiteral("巨大")}));

    QStringList toAdd;
    for (int i = 0; i < kAdded; ++i) {
        const QString& source = kSmallVideos.at(i % kSmallVideos.size());
        const QString path = added + QStringLiteral("new%1.").arg(i, 3, 10, QChar(u'0')) +
                             QFileInfo(source).suffix();
        linkVideo(fixture(source), path);
        toAdd.append(path);
    }

    AppState state;
    state.libraryFolder = library;
    QuietDialogs dialogs;
    NoVolumes volumes;
    NoTrash trash;
    NoLauncher launcher;
    LibrarySession session(library, dialogs, volumes);
    session.loadBook(QStringLiteral("本"));
    BookWindow bookWindow(session, state, dialogs);
    AlbumWindow albumWindow(session, state, dialogs);
    AlbumOpener opener(session, bookWindow, albumWindow);
    albumWindow.wire({.videos = new AlbumCommands(albumWindow, *albumWindow.actions().favourites,
                                                  session, state, trash, launcher)});
    bookWindow.wire({.opener = &opener});
    bookWindow.show();

    // Opening: from the command to the first paint of the album grid.
    FirstPaint painted(albumWindow.grid()->viewport());
    QElapsedTimer clock;
    clock.start();
    opener.open(0);
    painted.wait();
    const qint64 openMs = clock.elapsed();
    std::printf("opened %d videos (%d cells) to the first painted grid: %lld ms\n",
                albumWindow.album().count(), albumWindow.grid()->count(),
                static_cast<long long>(openMs));

    // Moving the first video 100 places, one key press at a time, and saving what it left.
    albumWindow.setCurrentVideo(0);
    const qint64 writtenBefore = bytesWritten();
    clock.restart();
    for (int i = 0; i < kMoves; ++i)
        albumWindow.actions().moveForward->trigger();
    session.flush();
    const qint64 movesMs = clock.elapsed();
    const double movesMb = (bytesWritten() - writtenBefore) / 1e6;
    std::printf("moved video 0 to %d in %d presses and saved: %lld ms, %.1f MB written\n",
                albumWindow.currentVideo(), kMoves, static_cast<long long>(movesMs), movesMb);
    albumWindow.close();

    // The grabber alone, one file after another on this thread.
    const auto point = media::GrabPoint::HalfSecond;
    clock.restart();
    for (const QString& path : toAdd)
        media::ThumbnailPool::make(path, point);
    const double singleSeconds = clock.elapsed() / 1000.0;
    const int cores = std::max(1, QThread::idealThreadCount());
    std::printf("grabber alone: %d files in %.2f s (%.1f ms each), %d cores: goal %.2f s\n", kAdded,
                singleSeconds, singleSeconds * 1000.0 / kAdded, cores, 1.2 * singleSeconds / cores);

    // Adding 200 to the empty album, with a timer probing the interface thread.
    opener.open(1);
    QElapsedTimer probeClock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = probeClock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    QEventLoop loop;
    QObject::connect(&albumWindow, &AlbumWindow::filesAdded, &loop, &QEventLoop::quit);
    clock.restart();
    probeClock.start();
    probe.start(kProbeMs);
    albumWindow.addFiles(toAdd);
    loop.exec();
    probe.stop();
    const double addSeconds = clock.elapsed() / 1000.0;
    const qint64 stallMs = std::max<qint64>(0, longestGap - kProbeMs);
    std::printf("added %d videos in %.2f s (goal %.2f s); longest stall %lld ms (goal 100)\n",
                albumWindow.album().count(), addSeconds, 1.2 * singleSeconds / cores,
                static_cast<long long>(stallMs));
    albumWindow.close();

    // The album of 100,000: to its first painted grid, and the memory held with it open.
    const double residentBefore = residentMb("VmRSS:");
    FirstPaint hugePainted(albumWindow.grid()->viewport());
    clock.restart();
    opener.open(2);
    hugePainted.wait();
    const qint64 hugeOpenMs = clock.elapsed();
    const double resident = residentMb("VmRSS:");
    std::printf("opened %d videos to the first painted grid: %lld ms; resident %.0f MB (%.0f MB "
                "before opening, peak %.0f MB)\n",
                albumWindow.album().count(), static_cast<long long>(hugeOpenMs), resident,
                residentBefore, residentMb("VmHWM:"));
    albumWindow.close();

    std::printf("album: %d opened in %lld ms, resident %.0f MB\n", kHugeVideos,
                static_cast<long long>(hugeOpenMs), resident);
    std::printf("album: %d opened in %lld ms, %d added in %.2f s, longest stall %lld ms, %d moves "
                "%lld ms writing %.1f MB\n",
                kVideos, static_cast<long long>(openMs), kAdded, addSeconds,
                static_cast<long long>(stallMs), kMoves, static_cast<long long>(movesMs), movesMb);
    return 0;
}
