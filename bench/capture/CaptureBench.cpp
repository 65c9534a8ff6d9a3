// The resamplers of frame capture against FFmpeg's swscale on the same pictures: area
// averaging of a 1920 x 1080 frame to 120 x 90 and to 640 x 360 (SWS_AREA), Lanczos-3 of a
// 1280 x 720 frame to 1920 x 1080 (SWS_LANCZOS). Both sides take 24-bit pictures and give
// 24-bit pictures; swscale's contexts are made before timing, ours compute their weights in
// every call. Each figure is the median of 31 runs taken in turns.
//
// bench_capture [runs]   (default 31)

#include "core/Resampling.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

using namespace tavimo;

namespace {

// A frame of ffmpeg's moving test pattern (sharp edges, gradients, text) as a 24-bit picture.
QImage testFrame(int w, int h) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("testsrc2=size=%1x%2:rate=25").arg(w).arg(h),
                  QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-f"),
                  QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("rgb24"),
                  QStringLiteral("-")});
    ffmpeg.waitForFinished(60000);
    const QByteArray raw = ffmpeg.readAllStandardOutput();
    QImage image(w, h, QImage::Format_RGB888);
    if (raw.size() != qint64(w) * h * 3)
        return {};
    for (int y = 0; y < h; ++y)
        std::memcpy(image.scanLine(y), raw.constData() + qint64(y) * w * 3, size_t(w) * 3);
    return image;
}

// swscale from one 24-bit picture to another size, with one filter.
class Swscale {
public:
    Swscale(QSize from, QSize to, int flags)
        : out_(to, QImage::Format_RGB888),
          context_(sws_getContext(from.width(), from.height(), AV_PIX_FMT_RGB24, to.width(),
                                  to.height(), AV_PIX_FMT_RGB24, flags, nullptr, nullptr,
                                  nullptr)) {}
    ~Swscale() { sws_freeContext(context_); }
    bool valid() const { return context_ != nullptr; }
    void scale(const QImage& in) {
        const uint8_t* src[] = {in.constBits()};
        const int srcStride[] = {int(in.bytesPerLine())};
        uint8_t* dst[] = {out_.bits()};
        const int dstStride[] = {int(out_.bytesPerLine())};
        sws_scale(context_, src, srcStride, 0, in.height(), dst, dstStride);
    }

private:
    QImage out_;
    SwsContext* context_;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Medians in milliseconds of two jobs run in turns.
std::pair<double, double> timeInTurns(int runs, const std::function<void()>& ours,
                                      const std::function<void()>& theirs) {
    std::vector<double> a, b;
    QElapsedTimer timer;
    ours(); // warm both up: caches and lazily made tables
    theirs();
    for (int i = 0; i < runs; ++i) {
        timer.start();
        ours();
        a.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.start();
        theirs();
        b.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return {median(a), median(b)};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 31;
    const QImage full = testFrame(1920, 1080);
    const QImage hd = testFrame(1280, 720);
    if (full.isNull() || hd.isNull()) {
        std::fprintf(stderr, "the ffmpeg command-line tool made no test frames\n");
        return 1;
    }

    double areaOurs = 0, areaSwscale = 0;
    for (const QSize to : {QSize(120, 90), QSize(640, 360)}) {
        Swscale sws(full.size(), to, SWS_AREA);
        if (!sws.valid())
            return 1;
        QImage result;
        const auto [ours, theirs] = timeInTurns(
            runs, [&] { result = resampling::areaAverage(full, to); }, [&] { sws.scale(full); });
        std::printf("area averaging 1920x1080 -> %dx%d: %.2f ms (swscale SWS_AREA %.2f ms)\n",
                    to.width(), to.height(), ours, theirs);
        areaOurs += ours;
        areaSwscale += theirs;
    }

    Swscale sws(hd.size(), full.size(), SWS_LANCZOS);
    if (!sws.valid())
        return 1;
    QImage work;
    const auto [lanczos, lanczosSwscale] = timeInTurns(
        runs,
        [&] {
            work = hd;
            resampling::lanczos3(work, full.size());
        },
        [&] { sws.scale(hd); });
    std::printf("Lanczos-3 1280x720 -> 1920x1080: %.2f ms (swscale SWS_LANCZOS %.2f ms)\n", lanczos,
                lanczosSwscale);
    std::printf("capture: area %.1f ms (swscale %.1f ms), lanczos %.1f ms (swscale %.1f ms)\n",
                areaOurs, areaSwscale, lanczos, lanczosSwscale);
    return 0;
}
