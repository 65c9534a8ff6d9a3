// A program killed at any instant loses nothing it showed more than a second before but pictures
// a thumbnail run made (which opening the album makes again), and leaves a library that opens
// with no message, its files agreeing with each other. The child
// (SaveKillChild.cpp) adds videos to an album and renames, makes, deletes and sorts albums
// between; it is killed at random instants, some of them just as a book operation begins.

#include "KillTestVideos.h"
#include "core/AlbumFiles.h"
#include "core/BookFile.h"
#include "core/LibrarySession.h"
#include "core/SaveJournal.h"
#include "core/SaveLeftovers.h"
#include "core/SaveUnit.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <ctime>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

long long nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// What the child said before it was killed.
struct ChildRun {
    QList<long long> rowShownAt; // row k shown at rowShownAt[k]
    long long killedAt = 0;
    QString killedWhile; // the book operation just begun, if the kill waited for one
    QByteArray errors;
};

// The library the child starts from: the book "本" with the albums "旅" and "A".
void makeLibrary(const QString& folder) {
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
    LibrarySession session(folder, dialogs, volumes);
    ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    for (const QString& name : {QStringLiteral("旅"), QStringLiteral("A")}) {
        session.book().appendAlbum({name});
        const QString file = session.book().albumPaths(session.book().count() - 1).album;
        ASSERT_TRUE(session.flush([&](SaveUnit& unit) { return unit.stage(file, QByteArray()); }));
    }
    ASSERT_TRUE(dialogs.messages().isEmpty());
}

// Runs the child until `killAfterMs` has passed, or (when waitFor is given) until it begins that
// book operation in round `round`, then kills it.
ChildRun runAndKill(const QString& library, long long killAfterMs, const QString& waitFor,
                    int round) {
    ChildRun run;
    QProcess child;
    child.start(QStringLiteral(SAVE_KILL_CHILD), {library});
    if (!child.waitForStarted())
        return run;
    const long long started = nowMs();
    const QByteArray awaited =
        (QStringLiteral("begin ") + waitFor).toUtf8() + ' ' + QByteArray::number(round) + ' ';
    bool killNow = false;
    while (!killNow && child.state() == QProcess::Running) {
        if (waitFor.isEmpty()) {
            const long long left = started + killAfterMs - nowMs();
            if (left <= 0)
                break;
            child.waitForReadyRead(int(std::min<long long>(left, 50)));
        } else if (nowMs() - started > 60000) {
            break;
        } else {
            child.waitForReadyRead(50);
        }
        while (child.canReadLine()) {
            const QByteArray line = child.readLine();
            const QList<QByteArray> words = line.trimmed().split(' ');
            if (words.size() == 3 && words.first() == "row")
                run.rowShownAt.append(words.at(2).toLongLong());
            if (!waitFor.isEmpty() && line.startsWith(awaited)) {
                run.killedWhile = waitFor;
                killNow = true;
                break;
            }
        }
    }
    run.killedAt = nowMs();
    child.kill();
    child.waitForFinished();
    // Rows said before the kill but read only now were shown before it too.
    while (child.canReadLine()) {
        const QList<QByteArray> words = child.readLine().trimmed().split(' ');
        if (words.size() == 3 && words.first() == "row")
            run.rowShownAt.append(words.at(2).toLongLong());
    }
    run.errors = child.readAllStandardError();
    return run;
}

// How many lines the file holds, read as the program reads it, without any fitting.
qsizetype lineCount(const QString& path) {
    return textfile::readLines(path).value_or(QStringList{QStringLiteral("<unreadable>")}).size();
}

} // namespace

TEST(SaveKillTest, AKillAtAnyInstantLosesNothingShownASecondBeforeAndLeavesFilesThatAgree) {
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    const QStringList operations = {QStringLiteral("rename"), QStringLiteral("create"),
                                    QStringLiteral("delete"), QStringLiteral("sort")};
    for (int kill = 0; kill < 10; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        QTemporaryDir dir;
        const QString library = dir.path() + u'/';
        makeLibrary(library);
        if (HasFatalFailure())
            return;
        // The first kills come just as a book operation begins, the others at any instant.
        const QString waitFor = kill < operations.size() ? operations.at(kill) : QString();
        const ChildRun run =
            runAndKill(library, 200 + random.bounded(3300), waitFor, int(random.bounded(3)));
        ASSERT_TRUE(run.errors.isEmpty()) << run.errors.toStdString();
        ASSERT_EQ(run.killedWhile, waitFor);

        // The library opens as the program opens it: the journal first, then the book.
        const savejournal::Recovery recovery = savejournal::recover(library);
        EXPECT_TRUE(recovery.problem.isEmpty()) << recovery.problem.toStdString();
        // Then the temporary files of a save killed before its journal held a step: none stays.
        saveleftovers::removeLeftoverTemporaries(library);
        static const QRegularExpression temporary(
            QStringLiteral("\\.(book|alb|mrk|cnt|pjpg|dat|inf|ini)\\.[A-Za-z0-9]{6}$"));
        for (QDirIterator it(library, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            EXPECT_FALSE(temporary.match(it.next()).hasMatch()) << it.filePath().toStdString();
        test::ScriptedDialogService dialogs;
        test::FakeVolumeTable volumes;
        LibrarySession session(library, dialogs, volumes);
        ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join(u'\n').toStdString();

        // The book lists exactly the albums whose files are there, one picture each.
        const BookPaths book = session.bookPaths();
        const auto lines = bookfile::read(book.bookFile, BookMode::Normal);
        ASSERT_TRUE(lines.has_value());
        QStringList listed;
        for (const bookfile::Line& line : *lines)
            listed.append(line.name + QStringLiteral(".alb"));
        listed.sort();
        EXPECT_EQ(
            QDir(book.bookFolder).entryList({QStringLiteral("*.alb")}, QDir::Files, QDir::Name),
            listed);
        // 旅, A or B (renamed whole), and 仮 when the kill came between its making and deleting.
        EXPECT_TRUE(listed.contains(QStringLiteral("旅.alb")));
        EXPECT_NE(listed.contains(QStringLiteral("A.alb")),
                  listed.contains(QStringLiteral("B.alb")));
        EXPECT_LE(listed.size(), 3) << listed.join(u' ').toStdString();
        Tpackedjpg pictures;
        ASSERT_TRUE(pictures.loadFromFile(book.pictureStore));
        EXPECT_EQ(pictures.count(), listed.size());

        // The album's files hold the same rows, each row whole and in order; the store may lack
        // the pictures of the last rows a run added, never hold one in another row's place.
        const AlbumPaths album = AlbumPaths::of(book, QStringLiteral("旅"));
        const auto entries = albumfile::read(album.album);
        ASSERT_TRUE(entries.has_value());
        const qsizetype n = entries->size();
        Tpackedjpg store;
        if (n > 0) {
            EXPECT_EQ(lineCount(album.marks), n);
            EXPECT_EQ(lineCount(album.counts), n);
        }
        if (QFile::exists(album.store)) {
            ASSERT_TRUE(store.loadFromFile(album.store));
        }
        EXPECT_LE(store.count(), n);
        for (int k = 0; k < n; ++k)
            ASSERT_EQ(entries->at(k), killtest::entryOf(k));
        for (int k = 0; k < store.count(); ++k) {
            QByteArray jpeg;
            store.getPicture(k, jpeg);
            ASSERT_EQ(jpeg, killtest::pictureOf(k)) << "row " << k;
        }
        ASSERT_TRUE(session.openAlbum(session.book().indexOfAlbum(QStringLiteral("旅"))));
        for (int k = 0; k < session.album().count(); ++k) {
            ASSERT_EQ(session.album().bookmark(k), 100 * k);
            ASSERT_EQ(session.album().playCount(k), k);
        }

        // Every row shown more than a second before the kill is there.
        qsizetype due = 0;
        while (due < run.rowShownAt.size() && run.rowShownAt.at(due) < run.killedAt - 1000)
            ++due;
        EXPECT_GE(n, due) << "rows shown " << run.rowShownAt.size();
    }
}
