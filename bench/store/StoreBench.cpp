// Loads and saves a packed store of 10,000 real 120 x 90 thumbnails and decodes single
// pictures from it. The pictures are frames of ffmpeg's moving test pattern, JPEG-coded at the
// program's quality, so their sizes are those of real thumbnails.
//
// bench_store [entries]   (default 10000)

#include "core/JpegCodec.h"
#include "core/Tpackedjpg.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tavimo;

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 90;

// Frames of the test pattern as raw RGB from the ffmpeg command-line tool.
std::vector<QByteArray> makeThumbnails(int count) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("testsrc2=size=%1x%2:rate=25").arg(kWidth).arg(kHeight),
                  QStringLiteral("-frames:v"), QString::number(count), QStringLiteral("-f"),
                  QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("rgb24"),
                  QStringLiteral("-")});
    std::vector<QByteArray> jpegs;
    const qint64 frameSize = qint64(kWidth) * kHeight * 3;
    QByteArray pending;
    while (int(jpegs.size()) < count) {
        if (pending.size() < frameSize) {
            if (!ffmpeg.waitForReadyRead(30000) && ffmpeg.bytesAvailable() == 0)
                break;
            pending += ffmpeg.readAll();
            continue;
        }
        QImage frame(reinterpret_cast<const uchar*>(pending.constData()), kWidth, kHeight,
                     kWidth * 3, QImage::Format_RGB888);
        jpegs.push_back(jpeg::encode(frame.copy()));
        pending.remove(0, frameSize);
    }
    ffmpeg.waitForFinished();
    return jpegs;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int entries = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;

    const std::vector<QByteArray> jpegs = makeThumbnails(entries);
    if (int(jpegs.size()) != entries) {
        std::fprintf(stderr, "could not make %d test frames with ffmpeg\n", entries);
        return 1;
    }
    Tpackedjpg store;
    qint64 total = 0;
    for (const QByteArray& jpeg : jpegs) {
        store.addPicture(jpeg);
        total += jpeg.size();
    }
    std::printf("pictures: %d of %dx%d, average %lld bytes\n", entries, kWidth, kHeight,
                total / entries);

    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("bench"));
    const QString path = base + QStringLiteral(".pjpg");
    constexpr int rounds = 7;

    std::vector<double> saves;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!store.saveToFile(base)) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        saves.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("file: %lld bytes\n", QFileInfo(path).size());

    std::vector<double> loads;
    for (int i = 0; i < rounds; ++i) {
        Tpackedjpg loaded;
        QElapsedTimer timer;
        timer.start();
        loaded.loadFromFile(path);
        loads.push_back(timer.nsecsElapsed() / 1e6);
        if (loaded.count() != entries)
            return 1;
    }

    // The program's own pattern: the album store is loaded, one picture changes, and the store
    // is saved again.
    Tpackedjpg loaded;
    loaded.loadFromFile(path);
    std::vector<double> changedSaves;
    for (int i = 0; i < rounds; ++i) {
        loaded.setPicture((i * 1237) % entries, jpegs[size_t(i)]);
        QElapsedTimer timer;
        timer.start();
        if (!loaded.saveToFile(base))
            return 1;
        changedSaves.push_back(timer.nsecsElapsed() / 1e6);
    }
    const int decodes = std::min(entries, 2000);
    QImage bitmap;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < decodes; ++i)
        loaded.getBitmap(i * (entries / decodes), bitmap);
    const double decodeUs = timer.nsecsElapsed() / 1e3 / decodes;

    std::printf("save of a new store (median of %d): %.1f ms\n", rounds, median(saves));
    std::printf("save of a loaded store with one picture changed (median of %d): %.1f ms\n", rounds,
                median(changedSaves));
    std::printf("(saves go through a temporary file, fdatasync and rename)\n");
    std::printf("load (median of %d, file in the page cache): %.1f ms\n", rounds, median(loads));
    std::printf("store: load %.1f ms, save %.1f ms, decode one %.0f us (%d entries)\n",
                median(loads), median(changedSaves), decodeUs, entries);
    return 0;
}
