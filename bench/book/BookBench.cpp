// Loads a book of 2,000 albums, each with its album file, marks, counts and thumbnail store,
// into the book window and measures the time until the grid is first painted. Then the albums,
// put in reverse order, are sorted with "ソート", and the first album is moved to the end with
// "一番後ろへ移動": each until the book file and picture store are written and the grid is
// painted again.
#include "BenchSupport.h"
#include "core/AppState.h"
#include "core/BookPaths.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "core/VolumeTable.h"
#include "ui/QtDialogService.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/BookAlbumCommands.h"
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
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace tavimo;
using bench::FirstPaint;
using bench::NoVolumes;

namespace {

constexpr int kAlbums = 2000;
constexpr int kVideosPerAlbum = 12;
constexpr int kRuns = 5;

// A few dozen distinct pictures, as varied as real thumbnails are in size.
QList<QByteArray> makePictures() {
    QList<QByteArray> pictures;
    for (int i = 0; i < 48; ++i) {
        QImage image(120, 90, QImage::Format_RGB888);
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 120; ++x)
                image.setPixel(
                    x, y,
                    qRgb((x * (i + 3)) & 255, (y * 7 + i * 11) & 255, ((x ^ y) * (i + 1)) & 255));
        pictures.append(jpeg::encode(image));
    }
    return pictures;
}

// Setting up writes straight to the files: the program's atomic, synced writes would make the
// 30,000 files of the book take most of a minute.
void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void writeLines(const QString& path, const QStringList& lines) {
    writeBytes(path, textfile::encodeLines(lines));
}

void writeStore(const QString& base, const Tpackedjpg& store) {
    writeBytes(base + QStringLiteral(".pjpg"), store.saveToBytes(QFileInfo(base).fileName()));
}

void makeBook(const QString& library, const QString& title) {
    const QList<QByteArray> pictures = makePictures();
    const BookPaths book = BookPaths::of(library, title);
    QDir().mkpath(book.imagesFolder);
    QStringList lines;
    Tpackedjpg bookPictures;
    for (int a = 0; a < kAlbums; ++a) {
        const QString name = QStringLiteral("アルバム %1").arg(a, 4, 10, QChar(u'0'));
        lines.append(a % 10 == 0 ? name + QStringLiteral("-->") : name);
        const AlbumPaths album = AlbumPaths::of(book, name);
        QStringList entries, marks, counts;
        Tpackedjpg thumbnails;
        for (int v = 0; v < kVideosPerAlbum; ++v) {
            entries.append(QStringLiteral("/home/user/ビデオ/%1/clip%2.mp4").arg(name).arg(v));
            marks.append(QString::number(qint64(v) * 600'000'000));
            counts.append(QString::number(v % 4));
            thumbnails.addPicture(pictures.at((a + v) % pictures.size()));
        }
        writeLines(album.album, entries);
        writeLines(album.marks, marks);
        writeLines(album.counts, counts);
        writeStore(album.storeBase, thumbnails);
        bookPictures.addPicture(pictures.at(a % pictures.size()));
    }
    writeLines(book.bookFile, lines);
    writeStore(book.pictureStoreBase(), bookPictures);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString library = dir.path() + u'/';
    const QString title = QStringLiteral("ベンチ");
    QElapsedTimer setup;
    setup.start();
    makeBook(library, title);
    std::printf("made a book of %d albums with %d videos each in %lld ms\n", kAlbums,
                kVideosPerAlbum, static_cast<long long>(setup.elapsed()));
    std::fflush(stdout);

    QList<qint64> times, sortTimes, moveTimes;
    for (int run = 0; run < kRuns; ++run) {
        AppState state;
        state.initialise(library);
        QtDialogService dialogs;
        NoVolumes volumes;
        LibrarySession books(state.libraryFolder, dialogs, volumes);
        BookWindow window(books, state, dialogs);
        auto* session = new BookFileCommands(books, state, window); // owned by the window
        window.show();
        QCoreApplication::processEvents(); // the empty window is up before the clock starts
        ScrollBox& grid = *window.findChild<ScrollBox*>(QStringLiteral("ScrollBox"));

        FirstPaint paint(grid.viewport());
        QElapsedTimer timer;
        timer.start();
        session->loadBook(title);
        const qint64 loaded = timer.elapsed();
        grid.viewport()->update();
        paint.wait();
        const qint64 painted = timer.elapsed();
        times.append(painted);
        std::printf("run %d: %d cells, loaded in %lld ms, first paint at %lld ms\n", run + 1,
                    grid.count(), static_cast<long long>(loaded), static_cast<long long>(painted));

        AlbumWindow albumWindow(books, state, dialogs);
        auto* opener = new AlbumOpener(books, window, albumWindow);
        window.wire({.files = session,
                     .opener = opener,
                     .albums = new BookAlbumCommands(window, books, *opener, albumWindow)});
        // Reverse order, written, before the clock starts.
        QList<int> reversed;
        for (int i = kAlbums - 1; i >= 0; --i)
            reversed.append(i);
        books.book().reorder(reversed);
        books.flush();
        QCoreApplication::processEvents();

        grid.select(grid.count() / 2);
        FirstPaint sortPaint(grid.viewport());
        timer.restart();
        window.actions().sortAlbums->trigger(); // writes the book and its pictures itself
        sortPaint.wait();
        const qint64 sorted = timer.elapsed();
        sortTimes.append(sorted);

        grid.select(0);
        FirstPaint movePaint(grid.viewport());
        timer.restart();
        window.actions().moveToEnd->trigger();
        books.flush(); // the save it causes, at once rather than 300 ms later
        movePaint.wait();
        const qint64 moved = timer.elapsed();
        moveTimes.append(moved);
        std::printf("run %d: sorted in %lld ms, first album moved to the end in %lld ms (%s)\n",
                    run + 1, static_cast<long long>(sorted), static_cast<long long>(moved),
                    qPrintable(books.book().album(kAlbums - 1).name));
        std::fflush(stdout);
    }
    const auto median = [](QList<qint64> list) {
        std::sort(list.begin(), list.end());
        return static_cast<long long>(list.at(list.size() / 2));
    };
    std::printf("book: %d albums loaded and painted in %lld ms, sorted in %lld ms, moved to the "
                "end in %lld ms\n",
                kAlbums, median(times), median(sortTimes), median(moveTimes));
    return 0;
}
