// Albums from folders and media. A medium tree of 10,000 videos in 2,000 folders five levels
// deep is scanned as making one album of the whole medium does (the median of five scans); then
// a folder of 2,000 videos (hard links to the fixtures) is made into an album through the book
// window's command, timed to the first painted grid showing a video and to the last thumbnail,
// against the thumbnail pool alone on the same files in the same run.
#include "BenchSupport.h"
#include "core/AppState.h"
#include "core/DriveProbe.h"
#include "core/FileTrash.h"
#include "core/LibrarySession.h"
#include "core/MediumScan.h"
#include "core/VideoExtensions.h"
#include "media/ThumbnailPool.h"
#include "ui/album/AlbumCommands.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/AlbumsFromFolders.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookWindow.h"
#include "ui/grid/ScrollBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace tavimo;
using bench::fixture;
using bench::fixturesPresent;
using bench::kSmallVideos;
using bench::NoLauncher;
using bench::NoTrash;
using bench::QuietDialogs;

namespace {

constexpr int kTopFolders = 400; // each with a chain four deep: 2,000 folders, five levels
constexpr int kVideosPerFolder = 5;
constexpr int kAlbumVideos = 2000;
constexpr int kScans = 5;

// One removable volume mounted at the given folder.
class OneMedium final : public VolumeTable {
public:
    explicit OneMedium(QString root) : root_(std::move(root)) {}
    QList<VolumeInfo> volumes() const override {
        return {VolumeInfo{root_, kMediumRemovable, 0x1234ABCD, QStringLiteral("BENCH")}};
    }

private:
    QString root_;
};

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void linkVideo(const QString& from, const QString& to) {
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        QFile::copy(from, to);
}

// The widget's first paint while the album holds a video.
class FirstVideoPaint : public QObject {
public:
    FirstVideoPaint(QWidget* widget, const Album& album) : album_(album) {
        widget->installEventFilter(this);
    }
    qint64 at = -1;
    QElapsedTimer clock;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && at < 0 && album_.count() > 0)
            at = clock.elapsed();
        return false;
    }

private:
    const Album& album_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!fixturesPresent(kSmallVideos))
        return 1;
    QTemporaryDir dir;

    // The medium: 400 top folders, each the top of a chain of five, five videos in each.
    const QString root = dir.path() + QStringLiteral("/medium/");
    int files = 0;
    for (int t = 0; t < kTopFolders; ++t) {
        QString folder = root + QStringLiteral("top%1").arg(t, 3, 10, QChar(u'0'));
        for (int level = 1; level <= kMediumScanLevels; ++level) {
            QDir().mkpath(folder);
            for (int v = 0; v < kVideosPerFolder; ++v, ++files)
                writeBytes(folder + QStringLiteral("/clip%1.mp4").arg(v), "v");
            folder += QStringLiteral("/level%1").arg(level + 1);
        }
    }
    const OneMedium medium(root);
    const DriveProbe probe(medium);
    const VideoExtensions extensions;
    QList<qint64> scans;
    qsizetype found = 0;
    for (int i = 0; i < kScans; ++i) {
        QElapsedTimer clock;
        clock.start();
        const MediumScan scan = scanMedium(root, probe, extensions, true);
        scans.append(clock.elapsed());
        found = scan.files.size();
        if (scan.folders.size() != kTopFolders * kMediumScanLevels)
            std::fprintf(stderr, "scan found %lld folders\n", qlonglong(scan.folders.size()));
    }
    std::sort(scans.begin(), scans.end());
    const qint64 scanMs = scans.at(kScans / 2);
    std::printf("medium scan: %lld files of %d in %d folders, median %lld ms (fastest %lld, "
                "slowest %lld)\n",
                qlonglong(found), files, kTopFolders * kMediumScanLevels, qlonglong(scanMs),
                qlonglong(scans.first()), qlonglong(scans.last()));

    // The folder of 2,000 videos.
    const QString folder = dir.path() + QStringLiteral("/videos");
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < kAlbumVideos; ++i) {
        const QString& source = kSmallVideos.at(i % kSmallVideos.size());
        const QString path = folder + QStringLiteral("/clip%1.").arg(i, 5, 10, QChar(u'0')) +
                             QFileInfo(source).suffix();
        linkVideo(fixture(source), path);
        paths.append(path);
    }

    // The thumbnail pool alone on the same files.
    double poolSeconds = 0;
    {
        media::ThumbnailPool pool;
        QEventLoop loop;
        QObject::connect(&pool, &media::ThumbnailPool::finished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        pool.start(paths, media::GrabPoint::HalfSecond);
        loop.exec();
        poolSeconds = clock.elapsed() / 1000.0;
        std::printf("thumbnail pool alone: %d videos in %.1f s on %d threads\n", kAlbumVideos,
                    poolSeconds, pool.threadCount());
    }

    // The program: the book window's command makes the album and the album window fills it.
    QuietDialogs dialogs;
    bench::NoVolumes volumes;
    AppState state;
    state.initialise(dir.path() + QStringLiteral("/library"));
    QDir().mkpath(state.libraryFolder);
    LibrarySession session(state.libraryFolder, dialogs, volumes);
    NoTrash trash;
    NoLauncher launcher;
    BookWindow bookWindow(session, state, dialogs);
    AlbumWindow albumWindow(session, state, dialogs);
    auto* bookFileCommands = new BookFileCommands(session, state, bookWindow);
    auto* opener = new AlbumOpener(session, bookWindow, albumWindow);
    auto* commands = new AlbumCommands(albumWindow, *albumWindow.actions().favourites, session,
                                       state, trash, launcher);
    auto* folders =
        new AlbumsFromFolders({session, state, bookWindow, albumWindow, *opener, *commands});
    bookWindow.wire({.files = bookFileCommands, .opener = opener, .fromFolders = folders});
    albumWindow.wire({.videos = commands});
    session.createBook(QStringLiteral("bench"));
    bookWindow.show();

    FirstVideoPaint paint(albumWindow.grid()->viewport(), session.album());
    QEventLoop loop;
    QObject::connect(folders, &AlbumsFromFolders::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    paint.clock.start();
    folders->createFromFolders({folder}, false);
    loop.exec();
    const double allSeconds = clock.elapsed() / 1000.0;
    std::printf("album from the folder: %d videos, first painted video %lld ms, all thumbnails "
                "%.1f s (%.2f x the pool alone)\n",
                int(session.album().count()), qlonglong(paint.at), allSeconds,
                allSeconds / std::max(poolSeconds, 0.001));
    albumWindow.close();

    std::printf("folders: scan %d files %lld ms, album of %d videos first paint %lld ms, all "
                "thumbnails %.1f s (pool alone %.1f s)\n",
                files, qlonglong(scanMs), kAlbumVideos, qlonglong(paint.at), allSeconds,
                poolSeconds);
    return 0;
}
