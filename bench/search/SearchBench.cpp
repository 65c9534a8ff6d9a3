// The search of the whole library: a library of 200 books, 5,000 albums and 1,000,000 videos
// with Japanese, Latin and camera names is written to a temporary folder and indexed on the
// worker thread as the program does it; then texts are searched as a user types them.
//
// - indexed: from start to the index complete (dictionary loading included).
// - query: SearchIndex::find for each text with words matched as typed (romaji off), p95 of
//   the texts (each the median of three runs); against `LC_ALL=C grep -F -c TEXT` over a file
//   of the same names one per line, the median of the same texts.
// - romaji: Latin texts with their Migemo readings, as the window finds them when they are
//   typed for the first time (the single letters' readings are read on the worker).
// - memory: heap bytes held after indexing and loading the dictionary, less those held
//   before.
//
// Times are CPU time: of the process while the worker indexes (the interface thread only
// waits), of the thread that searches, and of grep's process (its start included). On a
// machine shared with other work, wall-clock times measure that work as much as ours; they
// are printed too, on every line and in the line before the summary.
//
// bench_search [videos]   (default 1000000)

#include "NameMaker.h"
#include "core/BookPaths.h"
#include "core/MediaDat.h"
#include "core/TextFile.h"
#include "core/search/LibrarySearch.h"
#include "core/search/MigemoReading.h"
#include "core/search/SearchQuery.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <sys/resource.h>
#include <vector>

using namespace tavimo;

namespace {

constexpr int kBooks = 200;
constexpr int kAlbums = 5000;
constexpr int kMediaBooks = 40;
constexpr int kRuns = 3;

// Plain words and phrases, Japanese and Latin, one to twelve characters: common ones, rare
// ones, other widths and kana, words together, and some that nothing holds.
const QStringList kQueries{"東京",
                           "タワー",
                           "たわー",
                           "夏",
                           "夏休み",
                           "花火大会",
                           "誕生日",
                           "運動会",
                           "さくら",
                           "サクラ",
                           "京都",
                           "旅行",
                           "第",
                           "回",
                           "実況",
                           "夜景",
                           "まつり",
                           "海",
                           "山",
                           "家族",
                           "ライブ",
                           "映画",
                           "猫",
                           "子供",
                           "卒業式",
                           "結婚式",
                           "存在しない名前",
                           "ｶﾗｵｹ",
                           "からおけ",
                           "東京 夜景",
                           "2019",
                           "2018 夏",
                           "0123",
                           "mp4",
                           "dsc",
                           "vid_2019",
                           "summer",
                           "holiday",
                           "okinawa",
                           "tower",
                           "gopro",
                           "Ｔｏｋｙｏ",
                           "night",
                           "a",
                           "e",
                           "x",
                           "zzz",
                           "qwertyuiop",
                           "の",
                           "-",
                           "_",
                           "live music",
                           "第12回",
                           "【実況】",
                           "富士山の思い出",
                           "kyoto 2012"};

// Latin texts as typed letter by letter, with their romaji readings.
const QStringList kRomaji{"t",       "to",           "tou",      "touk",     "toukyou",
                          "k",       "ky",           "kyo",      "kyouto",   "s",
                          "sa",      "sak",          "sakura",   "natsu",    "natsuyasumi",
                          "hanabi",  "hanabitaikai", "ryokou",   "tanjoubi", "undoukai",
                          "yakei",   "matsuri",      "umi",      "yama",     "kazoku",
                          "raibu",   "eiga",         "neko",     "kodomo",   "sotsugyou",
                          "kekkon",  "onsen",        "yuki",     "doraibu",  "kyanpu",
                          "piano",   "dansu",        "yakyuu",   "sakka-",   "densha",
                          "fujisan", "kamakura",     "yokohama", "omoide",   "karaoke",
                          "summer",  "tokyo",        "gopro",    "zzz",      "qwertyuiop"};

size_t heapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Wall-clock and CPU milliseconds of one piece of work.
struct Times {
    double wall = 0;
    double cpu = 0;
};

double clockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double childrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)) * 1e3 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t at = size_t(std::ceil(p * double(values.size()))) - 1;
    return values[std::min(at, values.size() - 1)];
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Writes the library straight to its files, and every video name to namesPath.
void makeLibrary(const QString& library, const QString& namesPath, int videos) {
    bench::NameMaker names(20240611);
    std::vector<int> sizes(kAlbums);
    std::lognormal_distribution<double> spread(0.0, 0.9);
    double sum = 0;
    std::vector<double> weights(kAlbums);
    for (double& w : weights)
        sum += (w = spread(names.random()));
    int given = 0;
    for (int a = 0; a < kAlbums; ++a)
        given += (sizes[size_t(a)] = std::max(1, int(weights[size_t(a)] / sum * videos)));
    *std::max_element(sizes.begin(), sizes.end()) += videos - given;

    QFile allNames(namesPath);
    allNames.open(QIODevice::WriteOnly);
    QStringList mediaBooks;
    int album = 0;
    for (int b = 0; b < kBooks; ++b) {
        const QString title = names.book(b);
        const bool media = b % (kBooks / kMediaBooks) == 0;
        if (media)
            mediaBooks.append(title);
        const BookPaths paths = BookPaths::of(library, title);
        QDir().mkpath(paths.imagesFolder);
        QStringList albumNames;
        QList<MediumRecord> records;
        for (int k = 0; k < kAlbums / kBooks; ++k, ++album) {
            const QString name = names.album(album);
            albumNames.append(name);
            QStringList entries;
            QString folder;
            QByteArray lines;
            for (int v = 0; v < sizes[size_t(album)]; ++v) {
                if (v % 150 == 0)
                    folder = media ? QStringLiteral("%1\\%2\\").arg(names.folder()).arg(v)
                                   : QStringLiteral("/home/user/%1/%2/").arg(names.folder()).arg(v);
                const QString video = names.video();
                entries.append(folder + video);
                lines += video.toUtf8();
                lines += '\n';
            }
            allNames.write(lines);
            writeBytes(AlbumPaths::of(paths, name).album, textfile::encodeLines(entries));
            records.append(
                {kMediumDvd, uint32_t(0x10000000 + album), QStringLiteral("DISC %1").arg(album)});
        }
        writeBytes(paths.bookFile, textfile::encodeLines(albumNames));
        if (media)
            writeBytes(paths.mediaDat, mediadat::encode(records));
    }
    writeBytes(library + QStringLiteral("media.inf"), textfile::encodeLines(mediaBooks));
}

Times grepTimes(const QString& text, const QString& namesPath, int* count) {
    QProcess grep;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    grep.setProcessEnvironment(environment);
    const double wallBefore = clockMs(CLOCK_MONOTONIC);
    const double cpuBefore = childrenCpuMs();
    grep.start(QStringLiteral("grep"),
               {QStringLiteral("-F"), QStringLiteral("-c"), QStringLiteral("--"), text, namesPath});
    grep.waitForFinished(-1);
    const Times times{clockMs(CLOCK_MONOTONIC) - wallBefore, childrenCpuMs() - cpuBefore};
    *count = grep.readAllStandardOutput().trimmed().toInt();
    return times;
}

// The median of three runs, by CPU time.
template <typename Run> Times medianTimes(Run run) {
    std::vector<Times> runs;
    for (int r = 0; r < kRuns; ++r) {
        const double wall = clockMs(CLOCK_MONOTONIC);
        const double cpu = clockMs(CLOCK_THREAD_CPUTIME_ID);
        run();
        runs.push_back({clockMs(CLOCK_MONOTONIC) - wall, clockMs(CLOCK_THREAD_CPUTIME_ID) - cpu});
    }
    std::sort(runs.begin(), runs.end(), [](Times a, Times b) { return a.cpu < b.cpu; });
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int videos = argc > 1 ? std::max(kAlbums, atoi(argv[1])) : 1000000;

    QTemporaryDir dir;
    const QString library = dir.path() + QStringLiteral("/library/");
    const QString namesPath = dir.path() + QStringLiteral("/names.txt");
    QDir().mkpath(library);
    QElapsedTimer clock;
    clock.start();
    makeLibrary(library, namesPath, videos);
    std::printf("library: %d books, %d albums, %d videos written in %.1f s\n", kBooks, kAlbums,
                videos, clock.elapsed() / 1000.0);
    malloc_trim(0);

    // Indexing on the worker, as the program starts it.
    const size_t heapBefore = heapBytes();
    const auto mediaBooks = textfile::readLines(library + QStringLiteral("media.inf"));
    LibrarySearch search(library, [] { return MigemoReading::open(); });
    QEventLoop loop;
    QObject::connect(&search, &LibrarySearch::built, &loop, &QEventLoop::quit);
    const double buildWall = clockMs(CLOCK_MONOTONIC);
    const double buildCpu = clockMs(CLOCK_PROCESS_CPUTIME_ID);
    search.start(mediaBooks.value_or(QStringList()));
    loop.exec();
    const Times index{(clockMs(CLOCK_MONOTONIC) - buildWall) / 1000,
                      (clockMs(CLOCK_PROCESS_CPUTIME_ID) - buildCpu) / 1000};
    // Then the dictionary, on the same worker.
    QObject::connect(&search, &LibrarySearch::romajiReady, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit); // no libmigemo: it never comes
    loop.exec();
    const double romajiSeconds = (clockMs(CLOCK_MONOTONIC) - buildWall) / 1000;
    malloc_trim(0);
    const double indexMb = double(heapBytes() - heapBefore) / (1 << 20);
    const long long indexed = search.index().videoCount();
    std::printf("indexed %lld videos in %.2f s CPU, %.2f s wall (goal 3 s); %d unreadable; "
                "romaji %s after %.2f s; memory %.0f MB held with the dictionary (%.0f MB the "
                "index's own count)\n",
                indexed, index.cpu, index.wall, search.unreadableCount(),
                search.hasRomaji() ? "on" : "off (no libmigemo)", romajiSeconds, indexMb,
                double(search.index().memoryBytes()) / (1 << 20));

    // Texts matched as typed, against grep over the same names.
    std::vector<double> queryCpu, queryWall, grepCpu, grepWall;
    std::printf("  %-20s %8s %9s %9s   %8s %9s %9s\n", "text", "found", "cpu ms", "wall ms", "grep",
                "cpu ms", "wall ms");
    for (const QString& text : kQueries) {
        SearchResults results;
        const Times ours = medianTimes(
            [&] { results = search.index().find(SearchQuery::compile(text, nullptr)); });
        int grepCount = 0;
        std::vector<Times> greps;
        for (int r = 0; r < kRuns; ++r)
            greps.push_back(grepTimes(text, namesPath, &grepCount));
        std::sort(greps.begin(), greps.end(), [](Times a, Times b) { return a.cpu < b.cpu; });
        const Times grep = greps[greps.size() / 2];
        queryCpu.push_back(ours.cpu);
        queryWall.push_back(ours.wall);
        grepCpu.push_back(grep.cpu);
        grepWall.push_back(grep.wall);
        std::printf("  %-20s %8lld %9.2f %9.2f   %8d %9.2f %9.2f\n", qPrintable(text),
                    static_cast<long long>(results.hits.size()), ours.cpu, ours.wall, grepCount,
                    grep.cpu, grep.wall);
    }

    // Latin texts with their readings as the window finds them, each typed for the first
    // time: one run each (the single letters were read on the worker, as the program does).
    std::vector<double> romajiCpu, romajiWall;
    if (search.hasRomaji()) {
        for (const QString& text : kRomaji) {
            SearchResults results;
            const double wall = clockMs(CLOCK_MONOTONIC);
            const double cpu = clockMs(CLOCK_THREAD_CPUTIME_ID);
            results = search.find(text);
            const Times ours{clockMs(CLOCK_MONOTONIC) - wall,
                             clockMs(CLOCK_THREAD_CPUTIME_ID) - cpu};
            romajiCpu.push_back(ours.cpu);
            romajiWall.push_back(ours.wall);
            std::printf("  %-20s %8lld %9.2f %9.2f\n", qPrintable(text),
                        static_cast<long long>(results.hits.size()), ours.cpu, ours.wall);
        }
    }

    // A change the session saves: 200 videos added to a 2,000-video album.
    QStringList entries;
    for (int v = 0; v < 2000; ++v)
        entries.append(QStringLiteral("/home/user/Videos/新しい動画 %1.mp4").arg(v));
    search.setBook(QStringLiteral("追加のブック"), BookMode::Normal, {{"一つ", entries, {}}});
    for (int v = 0; v < 200; ++v)
        entries.append(QStringLiteral("/home/user/Videos/追加 %1.mp4").arg(v));
    const Times update = medianTimes([&] {
        search.setAlbum(QStringLiteral("追加のブック"), 0, {"一つ", entries, {}});
        entries.append(QStringLiteral("/home/user/Videos/もう一つ.mp4"));
    });
    std::printf("update: 200 videos added to an album of 2,000 in %.2f ms CPU\n", update.cpu);

    const auto romaji = [](const std::vector<double>& times) {
        return times.empty() ? QStringLiteral("n/a (no libmigemo)")
                             : QString::number(percentile(times, 0.95), 'f', 1);
    };
    std::printf("wall clock: indexed in %.2f s, query p95 %.1f ms (grep %.1f ms), romaji p95 %s "
                "ms\n",
                index.wall, percentile(queryWall, 0.95), percentile(grepWall, 0.5),
                qPrintable(romaji(romajiWall)));
    std::printf("search: %lld entries indexed in %.2f s, query p95 %.1f ms (grep -F over the same "
                "names %.1f ms), romaji p95 %s ms, index memory %.0f MB\n",
                indexed, index.cpu, percentile(queryCpu, 0.95), percentile(grepCpu, 0.5),
                qPrintable(romaji(romajiCpu)), indexMb);
    return 0;
}
