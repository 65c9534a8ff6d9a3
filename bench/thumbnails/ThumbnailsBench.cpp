// Cost of making thumbnails as the program does (ThumbnailPool::make: the frame grabber scales
// straight into 120 x 90, then the JPEG), on one thread and with the thumbnail pool on all
// cores, the pool's peak resident memory, side by side with the ffmpegthumbnailer command
// making a 120-pixel thumbnail of the same files.
//
//   bench_thumbnails [FOLDER]
//
// Without a folder the corpus is the fixture videos plus a set of larger files (720p and
// 1080p, 10 to 20 seconds, several codecs) made once with ffmpeg beside the benchmark.

#include "media/ThumbnailPool.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <thread>

using namespace tavimo::media;

namespace {

constexpr int kRounds = 15;

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

const QStringList videoExtensions = {"avi",  "mpg", "asf",  "wmv", "rm",  "ogg",  "ogm",
                                     "mov",  "mkv", "flv",  "ram", "rmv", "rmvb", "qt",
                                     "mp4",  "m2v", "mpeg", "mpe", "mpa", "m1v",  "mp2v",
                                     "mpv2", "m4v", "divx", "div", "3gp", "3g2",  "amc"};

QStringList videosIn(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (videoExtensions.contains(QFileInfo(path).suffix().toLower()))
            files << path;
    }
    files.sort();
    return files;
}

// Larger files than the fixtures, closer to what a library holds: made once, then kept.
QStringList makeLargerCorpus(const QString& folder) {
    QDir().mkpath(folder);
    struct CorpusFile {
        const char* name;
        QStringList args;
    };
    const QString hd = QStringLiteral("testsrc2=s=1920x1080:r=25:d=12");
    const QString hdr = QStringLiteral("testsrc2=s=1280x720:r=25:d=20");
    const QList<CorpusFile> corpus = {
        {"h264_1080p.mp4",
         {"-f", "lavfi", "-i", hd, "-c:v", "libx264", "-preset", "veryfast", "-g", "250",
          "-pix_fmt", "yuv420p"}},
        {"h264_720p_bframes.mkv",
         {"-f", "lavfi", "-i", hdr, "-c:v", "libx264", "-preset", "veryfast", "-bf", "3", "-g",
          "250", "-pix_fmt", "yuv420p"}},
        {"mpeg2_720p.mpg", {"-f", "lavfi", "-i", hdr, "-c:v", "mpeg2video", "-q:v", "4"}},
        {"mpeg4_720p.avi", {"-f", "lavfi", "-i", hdr, "-c:v", "mpeg4", "-q:v", "4"}},
        {"wmv2_720p.wmv", {"-f", "lavfi", "-i", hdr, "-c:v", "wmv2", "-q:v", "4"}},
        {"theora_720p.ogg", {"-f", "lavfi", "-i", hdr, "-c:v", "libtheora", "-q:v", "6"}},
    };
    QStringList made;
    for (const CorpusFile& s : corpus) {
        const QString path = folder + "/" + s.name;
        if (!QFileInfo::exists(path)) {
            std::printf("making %s ...\n", s.name);
            std::fflush(stdout);
            const QString tmp = folder + "/tmp." + s.name;
            QStringList args{"-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
            args << s.args << "-f"
                 << QFileInfo(path)
                        .suffix()
                        .replace("mpg", "mpeg")
                        .replace("mkv", "matroska")
                        .replace("wmv", "asf")
                        .replace("ogg", "ogg")
                 << tmp;
            if (QProcess::execute("ffmpeg", args) != 0 || !QFile::rename(tmp, path)) {
                QFile::remove(tmp);
                continue;
            }
        }
        made << path;
    }
    return made;
}

// CPU time this process has used, in ms: shows whether a pool that is not faster did more
// work (contention) or got no more processor time (a busy, shared machine).
double cpuMs() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3 +
           (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e3;
}

// The process's resident memory in MB as /proc/self/status gives it: VmRSS now, VmHWM the
// peak. 0 when it can't be read.
double residentMb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::stod(line.substr(field.size() + 1)) / 1024.0; // given in kB
    return 0;
}

// The peak resident memory of the process while the pool runs. Memory the earlier runs freed
// is handed back first (malloc_trim), so the figure is what the pool holds at its worst plus
// what the process holds anyway (libraries, Qt, the file list). The kernel's own peak
// (VmHWM) is restarted from the current size by writing 5 to /proc/self/clear_refs; where
// that is not allowed only the samples count: a thread reads VmRSS every 2 ms, which can miss
// a spike shorter than that.
class PoolPeak {
public:
    PoolPeak() {
        malloc_trim(0);
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5" << std::flush;
        kernelPeak_ = clear.good();
        sampler_ = std::thread([this] {
            while (running_) {
                sampled_ = std::max(sampled_.load(), residentMb("VmRSS"));
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }
    double stop() {
        running_ = false;
        sampler_.join();
        return std::max(sampled_.load(), kernelPeak_ ? residentMb("VmHWM") : 0.0);
    }

private:
    bool kernelPeak_ = false;
    std::atomic<bool> running_{true};
    std::atomic<double> sampled_{0};
    std::thread sampler_;
};

double grabberOneThread(const QStringList& files, int* built) {
    QElapsedTimer t;
    t.start();
    for (const QString& f : files)
        *built += ThumbnailPool::make(f, GrabPoint::FirstFrame).built() ? 1 : 0;
    return double(t.nsecsElapsed()) / 1e6;
}

// The program's own pool over the files; `peakMb` gets the resident peak meanwhile.
// The program's own pool over the files. With `peakMb`, the resident peak meanwhile: that
// run is not one of the timed ones, since measuring the peak hands memory back first and
// samples the process while it runs.
double grabberPool(const QStringList& files, int threads, double* peakMb = nullptr) {
    ThumbnailPool pool(threads);
    QEventLoop loop;
    QObject::connect(&pool, &ThumbnailPool::finished, &loop, &QEventLoop::quit);
    std::optional<PoolPeak> peak;
    if (peakMb)
        peak.emplace();
    QElapsedTimer t;
    t.start();
    pool.start(files, GrabPoint::FirstFrame);
    loop.exec();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (peakMb)
        *peakMb = peak->stop();
    return ms;
}

double ffmpegthumbnailer(const QStringList& files, int* made) {
    QTemporaryDir out;
    QElapsedTimer t;
    t.start();
    int n = 0;
    for (const QString& f : files) {
        const QString jpg = out.filePath(QString::number(n++) + ".jpg");
        QProcess p;
        p.start("ffmpegthumbnailer", {"-i", f, "-o", jpg, "-s", "120", "-q", "9"});
        p.waitForFinished(60000);
        *made += p.exitCode() == 0 && QFileInfo::exists(jpg) ? 1 : 0;
    }
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList files;
    QString corpus;
    if (argc > 1) {
        corpus = QString::fromLocal8Bit(argv[1]);
        files = videosIn(corpus);
    } else {
        const QString fixtures = qEnvironmentVariable("TAVIMO_FIXTURE_DIR");
        if (!fixtures.isEmpty())
            files = videosIn(fixtures);
        files += makeLargerCorpus(QCoreApplication::applicationDirPath() + "/corpus");
        corpus = QStringLiteral("fixtures + larger corpus");
    }
    if (files.isEmpty()) {
        std::printf("no video files found\n");
        return 1;
    }
    if (QStandardPaths::findExecutable("ffmpegthumbnailer").isEmpty()) {
        std::printf("ffmpegthumbnailer is not installed\n");
        return 1;
    }
    const int threads = std::max(1, QThread::idealThreadCount());
    std::printf("corpus: %s, %lld files, pool of %d threads\n", qPrintable(corpus),
                static_cast<long long>(files.size()), threads);

    int warm = 0; // reads every file once, so all runs find them in the page cache
    grabberOneThread(files, &warm);
    // Medians of fifteen runs of each, taken in turns. The machine is shared and its speed
    // drifts by a third from one second to the next: a best run of one kind against a best of
    // the other compares two moments, while medians of runs taken in turns compare the kinds.
    int built = 0, made = 0;
    QList<double> ones, pools, oneCpus, poolCpus;
    for (int round = 0; round < kRounds; ++round) {
        built = 0;
        double cpu = cpuMs();
        ones.append(grabberOneThread(files, &built));
        oneCpus.append(cpuMs() - cpu);
        cpu = cpuMs();
        pools.append(grabberPool(files, threads));
        poolCpus.append(cpuMs() - cpu);
    }
    const double one = median(ones), pool = median(pools);
    const double oneCpu = median(oneCpus), poolCpu = median(poolCpus);
    double peakMb = 0;
    grabberPool(files, threads, &peakMb);
    const double ext = ffmpegthumbnailer(files, &made);
    const double n = files.size();
    std::printf("grabber, one thread: %.1f ms total (%.1f ms processor time), %d files built "
                "(medians of %d runs)\n",
                one, oneCpu, built, kRounds);
    std::printf("grabber, %d threads: %.1f ms total (%.1f ms processor time), %.2fx one thread\n",
                threads, pool, poolCpu, one / pool);
    std::printf(
        "pool peak resident: %.0f MB over a run of its own (goal 64 MB x %d workers + 100 MB "
        "= %d MB)\n",
        peakMb, threads, 64 * threads + 100);
    std::printf("ffmpegthumbnailer: %.1f ms total, %d thumbnails made\n", ext, made);
    std::printf("thumbnails: grabber %.2f ms/file, pool %.2f ms/file, ffmpegthumbnailer %.2f "
                "ms/file, ratio Y/X = %.1f, pool peak %.0f MB\n",
                one / n, pool / n, ext / n, ext / one, peakMb);
    return 0;
}
