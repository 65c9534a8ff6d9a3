// A big album made from a folder as a person would: N videos (12000 by default, hard links of
// the small fixture videos) in one folder, made into an album through the book window's
// "フォルダー内の動画からアルバムを作成" with the album window shown. Reported: the time until the
// album is made, the longest time the interface thread did not answer a 5 ms timer from the
// command until the last picture is on the disk, how much the saves wrote against the size of
// the store they leave, and then, for one video moved to the front, how long until the album
// file on the disk has it there and the longest stall meanwhile.
//
// scripts/bench.sh bigalbum [N]
#include "BenchSupport.h"
#include "StallProbe.h"
#include "core/AppState.h"
#include "core/BookPaths.h"
#include "core/LibrarySession.h"
#include "core/SaveUnit.h"
#include "core/TextFile.h"
#include "core/search/LibrarySearch.h"
#include "core/search/SessionFollower.h"
#include "ui/album/AlbumCommands.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/AlbumsFromFolders.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <thread>
#include <unistd.h>

using namespace tavimo;
using bench::fixture;
using bench::fixturesPresent;
using bench::kSmallVideos;
using bench::runUntil;
using bench::StallProbe;

namespace {

constexpr int kDefaultVideos = 12000;

double megabytes(qint64 bytes) {
    return double(bytes) / 1e6;
}

// Watches the start of a file on a thread of its own and notes when it first begins with the
// given bytes.
class FileStartWatcher {
public:
    FileStartWatcher(const QString& path, QByteArray start, const QElapsedTimer& clock)
        : thread_([this, path, start = std::move(start), &clock] {
              while (!stop_ && seenAt_ < 0) {
                  QFile file(path);
                  if (file.open(QIODevice::ReadOnly) && file.read(start.size()) == start)
                      seenAt_ = clock.elapsed();
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          }) {}
    ~FileStartWatcher() {
        stop_ = true;
        thread_.join();
    }
    qint64 seenAt() const { return seenAt_; }

private:
    std::atomic_bool stop_{false};
    std::atomic<qint64> seenAt_{-1};
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int videoCount = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : kDefaultVideos;
    if (!fixturesPresent(kSmallVideos))
        return 1;

    QTemporaryDir dir;
    const QString library = dir.path() + QStringLiteral("/library/");
    const QString folder = dir.path() + QStringLiteral("/大きいフォルダー");
    QDir().mkpath(folder);
    for (int i = 0; i < videoCount; ++i) {
        const QString& source = kSmallVideos.at(i % kSmallVideos.size());
        const QString path = folder + QStringLiteral("/v%1.").arg(i, 5, 10, QChar(u'0')) +
                             QFileInfo(source).suffix();
        if (::link(QFile::encodeName(fixture(source)).constData(),
                   QFile::encodeName(path).constData()) != 0)
            QFile::copy(fixture(source), path);
    }
    const BookPaths book = BookPaths::of(library, QStringLiteral("本"));
    QDir().mkpath(book.imagesFolder);
    {
        QFile bookFile(book.bookFile);
        if (!bookFile.open(QIODevice::WriteOnly))
            return 1;
    }

    AppState state;
    state.initialise(library);
    bench::QuietDialogs dialogs;
    bench::NoVolumes volumes;
    bench::NoTrash trash;
    bench::NoLauncher launcher;
    LibrarySession session(state.libraryFolder, dialogs, volumes);
    // The search follows every save, as in the program.
    LibrarySearch search(state.libraryFolder);
    SessionFollower follower(session, search);
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
    bookFileCommands->loadBook(QStringLiteral("本"));
    bookWindow.show();

    // The album from the folder, until its last picture is on the disk.
    StallProbe probe;
    QElapsedTimer clock;
    clock.start();
    bool made = false;
    QObject::connect(folders, &AlbumsFromFolders::finished, [&] { made = true; });
    const qint64 writtenBefore = SaveUnit::bytesWritten();
    probe.start();
    folders->createFromFolders({folder}, false);
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, [&] {
        std::fprintf(stderr, "%d of %d videos in the album after %.0f s\n", session.album().count(),
                     videoCount, clock.elapsed() / 1000.0);
    });
    progress.start(10000);
    runUntil([&] { return made; }, 3600 * 1000);
    progress.stop();
    const double madeSeconds = clock.elapsed() / 1000.0;
    runUntil([&] { return !session.hasPendingSaves(); }, 120000);
    const qint64 freezeMs = probe.stop();
    const double freezeAt = probe.longestAt();
    const qint64 written = SaveUnit::bytesWritten() - writtenBefore;
    const AlbumPaths paths = session.album().paths();
    const qint64 storeBytes = QFileInfo(paths.store).size();
    std::printf("%d videos made into an album in %.1f s; longest freeze %lld ms (goal 50), from "
                "%.1f s on, %lld ms less its waits for a processor; the saves wrote %.1f MB for a "
                "store of %.1f MB (goal at most three times)\n",
                session.album().count(), madeSeconds, qlonglong(freezeMs), freezeAt,
                qlonglong(probe.longestOwn()), megabytes(written), megabytes(storeBytes));

    // The last video moved to the front, until the album file on the disk has it there.
    const int last = session.album().lastIndex();
    const QByteArray movedFirst = textfile::encodeLines({session.album().entry(last)});
    runUntil([] { return false; }, 500); // a quiet moment first
    qint64 movedAt = -1;
    qint64 moveFreezeMs = 0;
    {
        QElapsedTimer moveClock;
        moveClock.start();
        FileStartWatcher watcher(paths.album, movedFirst, moveClock);
        probe.start();
        session.album().step(last, RowStep::ToFront);
        runUntil([&] { return watcher.seenAt() >= 0 && !session.hasPendingSaves(); }, 60000);
        moveFreezeMs = probe.stop();
        movedAt = watcher.seenAt();
    }
    std::printf("a video moved to the front of %d is in the album file on the disk after %lld ms "
                "(goal 1000); longest freeze meanwhile %lld ms (goal 50)\n",
                session.album().count(), qlonglong(movedAt), qlonglong(moveFreezeMs));

    std::printf("big album: %d videos made into an album in %.1f s, longest freeze %lld ms, "
                "written %.1f MB for a store of %.1f MB, a move saved in %lld ms with a freeze "
                "of %lld ms\n",
                session.album().count(), madeSeconds, qlonglong(freezeMs), megabytes(written),
                megabytes(storeBytes), qlonglong(movedAt), qlonglong(moveFreezeMs));
    albumWindow.close();
    return 0;
}
