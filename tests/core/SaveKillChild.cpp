// The child process of the kill test: works on the library given as its argument as a user
// would, in rounds, until it is killed: adds thirty videos to the album "旅" (each appended the
// way a thumbnail run appends a row, the event loop running between them; in odd rounds the
// pictures are the run's own, which may reach the disk later than their rows, and the bookmark
// and count are the user's changes after it), closes the album,
// renames the album "A" to "B" or back, makes and deletes the album "仮", and sorts the book.
// It prints a line for every row shown, "row K MS", and for every book operation begun,
// "begin WHAT MS", MS being CLOCK_MONOTONIC in milliseconds; a message it is shown goes to
// standard error and ends it with status 3.
//
// Video k has the entry "/videos/k.mp4", bookmark 100 k, count k and a picture of shade k.

#include "KillTestVideos.h"
#include "core/BookAlbumOperations.h"
#include "core/LibrarySession.h"
#include "core/VolumeTable.h"
#include "ui/MessageOnlyDialogs.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <ctime>

using namespace tavimo;

namespace {

class NoVolumes final : public VolumeTable {
public:
    QList<VolumeInfo> volumes() const override { return {}; }
};

// Every message is a fault here: the library the test made opens and saves without one.
class FailOnMessage final : public MessageOnlyDialogs {
public:
    Answer message(const QString& text, Buttons, Icon, const QString&) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        std::fflush(stderr);
        std::_Exit(3);
    }
};

long long nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

void say(const char* what, long long value) {
    std::printf("%s %lld %lld\n", what, value, nowMs());
    std::fflush(stdout);
}

// Lets the event loop run, so the session's timers save as they would in the program.
void runEvents(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    NoVolumes volumes;
    FailOnMessage dialogs;
    LibrarySession session(QString::fromLocal8Bit(argv[1]), dialogs, volumes);
    if (session.loadBook(QStringLiteral("本")) != Book::LoadResult::Loaded)
        return 2;
    BookAlbumOperations ops(session);
    // The operations' problems are faults too, told as the program tells them.
    QList<Problem> problems;
    const auto tellProblems = [&] {
        dialogs.tell(problems);
        problems.clear();
    };
    for (int round = 0;; ++round) {
        if (!session.openAlbum(session.book().indexOfAlbum(QStringLiteral("旅"))))
            return 2;
        for (int i = 0; i < killtest::kVideosPerRound; ++i) {
            const int k = session.album().count();
            if (round % 2 == 1) {
                session.album().appendMade(killtest::entryOf(k), killtest::pictureOf(k));
                session.album().setBookmark(k, 100 * k);
                session.album().setPlayCount(k, k);
            } else {
                session.album().append(killtest::entryOf(k), killtest::pictureOf(k), 100 * k, k);
            }
            say("row", k);
            runEvents(8);
        }
        session.closeAlbum();

        const bool toB = session.book().indexOfAlbum(QStringLiteral("A")) >= 0;
        say("begin rename", round);
        const bool renamed = ops.renameTo(
            session.book().indexOfAlbum(toB ? QStringLiteral("A") : QStringLiteral("B")),
            toB ? QStringLiteral("B") : QStringLiteral("A"), problems);
        tellProblems();
        if (!renamed)
            return 2;
        runEvents(5);
        say("begin create", round);
        const int made = ops.createAlbum(QStringLiteral("仮"), problems);
        tellProblems();
        runEvents(5);
        say("begin delete", round);
        ops.remove(made);
        runEvents(5);
        say("begin sort", round);
        ops.sort();
        runEvents(5);
    }
}
