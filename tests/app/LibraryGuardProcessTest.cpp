// The real program as a process: what a stop signal saves, and one program per library.
#include "core/IniFile.h"
#include "platform/LibraryLock.h"
#include "support/TestFiles.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using tavimo::IniFile;
using tavimo::platform::LockHolder;
using tavimo::test::readTestFile;
using tavimo::test::writeTestFile;

namespace {

QProcess* startTavimo(QObject* parent, const QString& runtime, const QString& library) {
    auto* process = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("TAVIMO_LIBRARY"), library);
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(TAVIMO_BINARY), {});
    return process;
}

QString lockFile(const QString& library) {
    return QDir(library).filePath(QStringLiteral("Tavimo.lock"));
}

// Waits until the library's lock file names the process: it holds the library, and its stop
// signals are heard from then on.
bool holdsLibrary(QProcess* process, const QString& library) {
    if (!process->waitForStarted(30000))
        return false;
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() && process->state() == QProcess::Running) {
        if (LockHolder::fromText(readTestFile(lockFile(library))).pid == process->processId())
            return true;
        QThread::msleep(50);
    }
    return false;
}

// What a program that refuses the library says on its error output, once it has said it (its
// message box then waits for the user).
QString refusalOf(QProcess* program) {
    QString said;
    QDeadlineTimer deadline(60000);
    while (!said.contains(QStringLiteral("もう一度起動してください")) && !deadline.hasExpired() &&
           program->state() != QProcess::NotRunning) {
        program->waitForReadyRead(200);
        said += QString::fromLocal8Bit(program->readAllStandardError());
    }
    return said;
}

// Every entry below folder with its size and times of change: any write shows.
std::string snapshot(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries.append(
            QStringLiteral("%1 %2 %3 %4")
                .arg(info.filePath())
                .arg(info.size())
                .arg(info.lastModified().toMSecsSinceEpoch())
                .arg(info.fileTime(QFileDevice::FileMetadataChangeTime).toMSecsSinceEpoch()));
    }
    entries.sort();
    return entries.join(u'\n').toStdString();
}

// The folder once nothing has changed in it for a while: the program's start-up writes are done.
std::string settled(const QString& folder) {
    std::string last = snapshot(folder);
    for (int i = 0; i < 120; ++i) {
        QThread::msleep(1000);
        std::string now = snapshot(folder);
        if (now == last)
            return now;
        last = std::move(now);
    }
    return last;
}

// A book "本" with one album of one (missing) video, current in the settings file, which also
// holds a section the program does not know.
void writeLibrary(const QString& library) {
    ASSERT_TRUE(
        writeTestFile(library + QStringLiteral("/Tavimo.ini"),
                      "[text]\r\nbook=\x96\x7b\r\n[ex]\r\npacked=1\r\n[mine]\r\nkeep=1\r\n"));
    ASSERT_TRUE(writeTestFile(library + QStringLiteral("/本.book"), "trip\r\n"));
    ASSERT_TRUE(writeTestFile(library + QStringLiteral("/本/trip.alb"), "/no/such/video.mp4\r\n"));
}

} // namespace

TEST(StopSignalsProcess, EachStopSignalSavesWhatTheExitSavesAndEndsWithStatusZero) {
    for (int number : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(number);
        QTemporaryDir runtime;
        QTemporaryDir library;
        writeLibrary(library.path());
        const QString ini = library.filePath(QStringLiteral("Tavimo.ini"));
        QObject owner;
        QProcess* program = startTavimo(&owner, runtime.path(), library.path());
        ASSERT_TRUE(holdsLibrary(program, library.path()));
        ::kill(pid_t(program->processId()), number);
        ASSERT_TRUE(program->waitForFinished(60000));
        EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program->exitCode(), 0) << program->readAllStandardError().toStdString();

        // The settings file as the exit writes it: every key, the current book kept, the
        // section of someone else kept.
        IniFile written;
        ASSERT_TRUE(written.load(ini));
        EXPECT_EQ(written.readString("text", "book", {}), QStringLiteral("本"));
        EXPECT_EQ(written.readString("mine", "keep", {}), QStringLiteral("1"));
        EXPECT_NE(written.readInteger("form", "width", 0), 0);
        EXPECT_NE(written.readInteger("form4", "width", 0), 0);
        EXPECT_TRUE(QFile::exists(library.filePath(QStringLiteral("userex.inf"))));
        EXPECT_FALSE(QFile::exists(lockFile(library.path()))) << "removed at a clean exit";
    }
}

TEST(LibraryLockProcess, ASecondProgramOnTheLibraryRefusesAndWritesNothingAndAStaleLockIsTaken) {
    QTemporaryDir firstRuntime;
    QTemporaryDir secondRuntime;
    QTemporaryDir library;
    writeLibrary(library.path());
    QObject owner;
    QProcess* first = startTavimo(&owner, firstRuntime.path(), library.path());
    ASSERT_TRUE(holdsLibrary(first, library.path()));
    const std::string before = settled(library.path());
    ASSERT_TRUE(QFile::exists(library.filePath(QStringLiteral("本/images/本.pjpg"))));

    // Another runtime folder: the single-instance lock lets it through, the library does not.
    QProcess* second = startTavimo(&owner, secondRuntime.path(), library.path());
    const QString said = refusalOf(second);
    EXPECT_TRUE(said.contains(QStringLiteral("「%1」").arg(library.path()))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("このコンピューター")));
    EXPECT_TRUE(said.contains(QString::number(first->processId())));
    // The message box waits for the user; a stop signal ends it as the user's Enter would.
    ::kill(pid_t(second->processId()), SIGTERM);
    ASSERT_TRUE(second->waitForFinished(60000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 1);
    EXPECT_EQ(snapshot(library.path()), before) << "the second program wrote nothing";
    EXPECT_FALSE(QFile::exists(secondRuntime.filePath(QStringLiteral("Tavimo.ini"))));
    EXPECT_EQ(first->state(), QProcess::Running);

    // Killed, the first leaves its lock file behind, naming a process that is gone.
    const qint64 firstPid = first->processId();
    first->kill();
    ASSERT_TRUE(first->waitForFinished(30000));
    const LockHolder left = LockHolder::fromText(readTestFile(lockFile(library.path())));
    EXPECT_EQ(left.pid, firstPid);
    EXPECT_EQ(left.host, QSysInfo::machineHostName());

    QProcess* third = startTavimo(&owner, secondRuntime.path(), library.path());
    ASSERT_TRUE(holdsLibrary(third, library.path())) << "a stale lock file is taken over";
    ::kill(pid_t(third->processId()), SIGTERM);
    ASSERT_TRUE(third->waitForFinished(60000));
    EXPECT_EQ(third->exitCode(), 0);
    EXPECT_FALSE(QFile::exists(lockFile(library.path())));
}

TEST(LibraryLockProcess, ALockThatCannotBeTakenEndsTheProgramWithStatusOneWritingNothing) {
    QTemporaryDir runtime;
    QTemporaryDir library;
    QTemporaryDir elsewhere;
    writeLibrary(library.path());
    // A dangling link in the lock's place: taking it would make a file where it points.
    const QString target = elsewhere.filePath(QStringLiteral("lock"));
    ASSERT_TRUE(QFile::link(target, lockFile(library.path())));
    const std::string before = snapshot(library.path());

    QObject owner;
    QProcess* program = startTavimo(&owner, runtime.path(), library.path());
    const QString said = refusalOf(program);
    // The file, the reason, and what to do.
    EXPECT_TRUE(said.contains(lockFile(library.path()))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("シンボリックリンク"))) << said.toStdString();
    ::kill(pid_t(program->processId()), SIGTERM);
    ASSERT_TRUE(program->waitForFinished(60000));
    EXPECT_EQ(program->exitCode(), 1);
    EXPECT_EQ(snapshot(library.path()), before) << "nothing of the library was written";
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST(StartUpProcess, TheTemporaryFilesOfAKilledSaveAreRemovedAtStartUp) {
    QTemporaryDir runtime;
    QTemporaryDir library;
    writeLibrary(library.path());
    const QStringList leftovers = {library.filePath(QStringLiteral("本.book.AbCdEf")),
                                   library.filePath(QStringLiteral("本/trip.alb.QwErTy"))};
    for (const QString& leftover : leftovers)
        ASSERT_TRUE(writeTestFile(leftover, "half a save"));
    const QString notOurs = library.filePath(QStringLiteral("notes.txt.AbCdEf"));
    ASSERT_TRUE(writeTestFile(notOurs, "the user's"));

    QObject owner;
    QProcess* program = startTavimo(&owner, runtime.path(), library.path());
    ASSERT_TRUE(holdsLibrary(program, library.path()));
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() &&
           (QFile::exists(leftovers.at(0)) || QFile::exists(leftovers.at(1))))
        QThread::msleep(50);
    EXPECT_FALSE(QFile::exists(leftovers.at(0)));
    EXPECT_FALSE(QFile::exists(leftovers.at(1)));
    EXPECT_EQ(readTestFile(notOurs), "the user's");
    ::kill(pid_t(program->processId()), SIGTERM);
    ASSERT_TRUE(program->waitForFinished(60000));
    EXPECT_EQ(program->exitCode(), 0);
}
