// How soon changes reach the disk and how long the window stalls meanwhile. 300 real videos are
// added to an album through the album window's adding of files (thumbnails on the pool, rows
// into the session) with the window shown; a thread reads the album file from the disk every
// 2 ms, and the longest time from a row appearing in the album model to that row being in the
// file is reported, with the longest time the interface thread did not answer a 5 ms timer.
// Then an album whose files come to 1 GB is imported through the book window's
// "アルバムのインポート", with the longest stall of the interface thread until the book shows it.
#include "BenchSupport.h"
#include "StallProbe.h"
#include "core/AlbumFiles.h"
#include "core/AppState.h"
#include "core/BookFile.h"
#include "core/BookPaths.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "ui/album/AlbumCommands.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/AlbumsFromFolders.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace tavimo;
using bench::fixture;
using bench::fixturesPresent;
using bench::kSmallVideos;
using bench::NoLauncher;
using bench::NoTrash;
using bench::NoVolumes;
using bench::runUntil;
using bench::StallProbe;

namespace {

constexpr int kAdded = 300;
constexpr qint64 kImportBytes = qint64(1) << 30;
constexpr int kPollMs = 2;
constexpr int kSaveWaitMs = 20000; // how long the last rows may take to reach the disk

// Answers the album-file dialog of the import with the files set; messages with No.
class ImportDialogs final : public MessageOnlyDialogs {
public:
    QStringList files;
    Answer message(const QString&, Buttons, Icon, const QString&) override { return Answer::No; }
    QStringList openFiles(const QString&, const QString&, const QString&) override { return files; }
};

void linkVideo(const QString& from, const QString& to) {
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        QFile::copy(from, to);
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Reads the album file every kPollMs on a thread of its own and notes when each entry was
// first seen in it.
class DiskWatcher {
public:
    DiskWatcher(QString path, const QElapsedTimer& clock) : path_(std::move(path)), clock_(clock) {
        thread_ = std::thread([this] {
            while (!stop_) {
                if (const auto entries = albumfile::read(path_)) {
                    const qint64 now = clock_.elapsed();
                    const std::lock_guard lock(mutex_);
                    for (const QString& entry : *entries)
                        if (!seen_.contains(entry))
                            seen_.insert(entry, now);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
            }
        });
    }
    ~DiskWatcher() {
        stop_ = true;
        thread_.join();
    }
    QHash<QString, qint64> seen() const {
        const std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    QString path_;
    const QElapsedTimer& clock_;
    mutable std::mutex mutex_;
    QHash<QString, qint64> seen_;
    std::atomic_bool stop_{false};
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!fixturesPresent(kSmallVideos))
        return 1;

    QTemporaryDir dir;
    const QString library = dir.path() + QStringLiteral("/library/");
    const QString videos = dir.path() + QStringLiteral("/videos/");
    QDir().mkpath(videos);
    QStringList toAdd;
    for (int i = 0; i < kAdded; ++i) {
        const QString& source = kSmallVideos.at(i % kSmallVideos.size());
        toAdd.append(videos + QStringLiteral("clip%1.").arg(i, 3, 10, QChar(u'0')) +
                     QFileInfo(source).suffix());
        linkVideo(fixture(source), toAdd.last());
    }

    // The book "本" with the empty album "追加"; the book "古い" whose album "大きい" has a
    // thumbnail store of 1 GB (a file with a hole: reading it is cheap, writing it is not).
    const BookPaths book = BookPaths::of(library, QStringLiteral("本"));
    QDir().mkpath(book.imagesFolder);
    writeBytes(AlbumPaths::of(book, QStringLiteral("追加")).album, {});
    writeBytes(book.bookFile, textfile::encodeLines({QStringLiteral("追加")}));
    const BookPaths old = BookPaths::of(library, QStringLiteral("古い"));
    const AlbumPaths big = AlbumPaths::of(old, QStringLiteral("大きい"));
    writeBytes(big.album, textfile::encodeLines(toAdd.mid(0, 8)));
    writeBytes(big.marks, textfile::encodeLines(QStringList(8, QStringLiteral("0"))));
    writeBytes(big.store, {});
    QFile(big.store).resize(kImportBytes);
    writeBytes(old.bookFile, textfile::encodeLines({QStringLiteral("大きい")}));

    AppState state;
    state.initialise(library);
    ImportDialogs dialogs;
    NoVolumes volumes;
    NoTrash trash;
    NoLauncher launcher;
    LibrarySession session(state.libraryFolder, dialogs, volumes);
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

    // 300 added: when each row appears in the model, and when it is in the file on disk.
    opener->open(0);
    QElapsedTimer clock;
    clock.start();
    QHash<QString, qint64> appeared;
    const Album& album = session.album();
    QObject::connect(&album, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) {
                         for (int row = first; row <= last; ++row)
                             appeared.insert(album.entry(row), clock.elapsed());
                     });
    StallProbe probe;
    double addSeconds = 0;
    QHash<QString, qint64> onDisk;
    {
        DiskWatcher watcher(AlbumPaths::of(book, QStringLiteral("追加")).album, clock);
        QEventLoop loop;
        QObject::connect(&albumWindow, &AlbumWindow::filesAdded, &loop, &QEventLoop::quit);
        probe.start();
        const qint64 begin = clock.elapsed();
        commands->addFiles(toAdd);
        loop.exec();
        addSeconds = (clock.elapsed() - begin) / 1000.0;
        // The rows still unsaved reach the disk without anything more being done.
        runUntil([&] { return watcher.seen().size() >= appeared.size(); }, kSaveWaitMs);
        onDisk = watcher.seen();
    }
    const qint64 addStallMs = probe.stop();
    qint64 longestUnsaved = 0;
    int missing = 0;
    for (auto it = appeared.cbegin(); it != appeared.cend(); ++it) {
        const auto saved = onDisk.constFind(it.key());
        if (saved == onDisk.cend())
            ++missing;
        const qint64 at = saved == onDisk.cend() ? clock.elapsed() : saved.value();
        longestUnsaved = std::max(longestUnsaved, at - it.value());
    }
    std::printf("added %d videos in %.2f s with the album window shown; longest from a row in the "
                "model to the row on disk %lld ms (goal 1000)%s; longest stall %lld ms (goal "
                "50), from %.2f s on; %lld ms less its waits for a processor\n",
                int(appeared.size()), addSeconds, qlonglong(longestUnsaved),
                missing > 0 ? qPrintable(QStringLiteral(", %1 rows never saved").arg(missing)) : "",
                qlonglong(addStallMs), probe.longestAt(), qlonglong(probe.longestOwn()));
    albumWindow.close();

    // The import of 1 GB, from the command to the book showing the album.
    dialogs.files = {big.album};
    const int before = session.book().count();
    probe.start();
    QElapsedTimer importClock;
    importClock.start();
    QTimer::singleShot(0, bookWindow.actions().importAlbum, &QAction::trigger);
    const bool imported =
        runUntil([&] { return session.book().count() > before && !folders->isBusy(); }, 600000);
    const qint64 importStallMs = probe.stop();
    const double importSeconds = importClock.elapsed() / 1000.0;
    const qint64 copied = QFileInfo(AlbumPaths::of(book, QStringLiteral("大きい")).store).size();
    std::printf("imported an album of %.2f GB in %.2f s%s; longest stall %lld ms (goal 100), from "
                "%.2f s on; %lld ms less its waits for a processor\n",
                double(copied) / double(kImportBytes), importSeconds,
                imported ? "" : " (it never joined the book)", qlonglong(importStallMs),
                probe.longestAt(), qlonglong(probe.longestOwn()));

    std::printf("save: %d added, longest unsaved %lld ms, longest stall %lld ms, import of 1 GB "
                "stall %lld ms\n",
                int(appeared.size()), qlonglong(longestUnsaved), qlonglong(addStallMs),
                qlonglong(importStallMs));
    return 0;
}
