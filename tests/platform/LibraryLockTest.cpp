#include "platform/LibraryLock.h"

#include "support/TestFiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using tavimo::platform::LibraryLock;
using tavimo::platform::LockHolder;
using tavimo::test::readTestFile;
using tavimo::test::writeTestFile;

namespace {

// True while another open file holds a lock on path.
bool lockedElsewhere(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

class LibraryLockTest : public ::testing::Test {
protected:
    QString lockFile() const { return library.filePath(QStringLiteral("Tavimo.lock")); }
    LockHolder named() const { return LockHolder::fromText(readTestFile(lockFile())); }
    void writeHolder(const LockHolder& holder) {
        ASSERT_TRUE(writeTestFile(lockFile(), holder.toText()));
    }

    // A pid that no process has: pids stay below the kernel's pid_max.
    static qint64 deadPid() {
        return readTestFile(QStringLiteral("/proc/sys/kernel/pid_max")).trimmed().toLongLong();
    }

    QTemporaryDir library;
};

} // namespace

TEST_F(LibraryLockTest, OneHolderAtATimeNamedInTheFileWhichGoesAtRelease) {
    LibraryLock first(library.path());
    LibraryLock second(library.path() + u'/');
    ASSERT_TRUE(first.acquire());
    EXPECT_TRUE(first.acquire()); // holding it already
    EXPECT_EQ(named().host, QSysInfo::machineHostName());
    EXPECT_EQ(named().pid, qint64(::getpid()));
    EXPECT_FALSE(named().program.isEmpty());

    EXPECT_FALSE(second.acquire());
    EXPECT_FALSE(second.isHeld());
    EXPECT_EQ(second.holder().pid, qint64(::getpid()));
    const QString refusal = second.refusal();
    EXPECT_TRUE(refusal.contains(QDir::toNativeSeparators(library.path()) + u'」'))
        << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("このコンピューター")));
    EXPECT_TRUE(refusal.contains(QString::number(::getpid())));

    first.release();
    EXPECT_FALSE(QFile::exists(lockFile()));
    EXPECT_TRUE(second.acquire());
    EXPECT_TRUE(QFile::exists(lockFile()));
}

TEST_F(LibraryLockTest, ALockOfAnotherProcessKeepsUsAwayEvenWhenTheFileNamesNobody) {
    // flock(1) holds the lock as a second program would, and writes nothing into the file
    // (-o: the lock is its own, not the sleep's, so it ends when flock is killed).
    QProcess holder;
    holder.start(QStringLiteral("flock"),
                 {QStringLiteral("-o"), lockFile(), QStringLiteral("sleep"), QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted(10000));
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && !lockedElsewhere(lockFile()))
        QThread::msleep(20);
    LibraryLock lock(library.path());
    ASSERT_FALSE(lock.acquire());
    EXPECT_FALSE(lock.holder().known());
    EXPECT_TRUE(lock.refusal().contains(QStringLiteral("ほかの Tavimo が使っています")));
    holder.kill();
    holder.waitForFinished(10000);
    EXPECT_TRUE(lock.acquire());
    EXPECT_EQ(named().pid, qint64(::getpid()));
}

TEST_F(LibraryLockTest, AFileOfAProcessThatIsGoneIsTakenOver) {
    const QString host = QSysInfo::machineHostName();
    const QString program = QStringLiteral("Tavimo");
    // A pid nobody has; our parent's pid, which runs another program; text that is no holder.
    for (const QByteArray& left : {LockHolder{host, deadPid(), program}.toText(),
                                   LockHolder{host, qint64(::getppid()), program}.toText(),
                                   QByteArray("\x00\xff garbage"), QByteArray()}) {
        ASSERT_TRUE(writeTestFile(lockFile(), left));
        LibraryLock lock(library.path());
        EXPECT_TRUE(lock.acquire()) << left.toStdString();
        EXPECT_EQ(named().pid, qint64(::getpid()));
        EXPECT_EQ(named().host, host);
    }
}

TEST_F(LibraryLockTest, AFileOfAProcessThatMayStillRunIsHonouredWithoutAnyLock) {
    // A share that carries no locks: only the file says that the library is in use. A process
    // of this computer that runs the program named.
    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(sleeper.waitForStarted(10000));
    const LockHolder running{QSysInfo::machineHostName(), sleeper.processId(),
                             QStringLiteral("sleep")};
    writeHolder(running);
    LibraryLock lock(library.path());
    EXPECT_FALSE(lock.acquire());
    EXPECT_EQ(lock.holder().pid, running.pid);
    EXPECT_TRUE(lock.refusal().contains(QString::number(running.pid)));
    EXPECT_EQ(named().pid, running.pid); // the file is left as it was
    sleeper.kill();
    sleeper.waitForFinished(10000);
    EXPECT_TRUE(lock.acquire());

    // Another computer's process: nothing here can tell whether it runs, so it is honoured and
    // the message names the computer and the file to remove when it does not.
    lock.release();
    writeHolder({QStringLiteral("nas-client-7"), 4242, QStringLiteral("Tavimo")});
    LibraryLock remote(library.path());
    EXPECT_FALSE(remote.acquire());
    const QString refusal = remote.refusal();
    EXPECT_TRUE(refusal.contains(QStringLiteral("コンピューター「nas-client-7」")))
        << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("4242")));
    EXPECT_TRUE(refusal.contains(QDir::toNativeSeparators(lockFile())));
    EXPECT_EQ(named().host, QStringLiteral("nas-client-7"));
}

TEST_F(LibraryLockTest, ALockOnAFileThatWasRemovedOrReplacedLocksNothing) {
    const QByteArray path = QFile::encodeName(lockFile());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(tavimo::platform::lockfile::stillNames(fd, lockFile()));
    ASSERT_EQ(::unlink(path.constData()), 0); // the holder's exit
    EXPECT_FALSE(tavimo::platform::lockfile::stillNames(fd, lockFile()));
    ASSERT_TRUE(writeTestFile(lockFile(), "")); // and the next holder's new file
    EXPECT_FALSE(tavimo::platform::lockfile::stillNames(fd, lockFile()));
    ::close(fd);

    // A holder whose file was replaced under it leaves the new one alone when it ends.
    LibraryLock lock(library.path());
    ASSERT_TRUE(lock.acquire());
    ASSERT_TRUE(QFile::remove(lockFile()));
    writeHolder({QStringLiteral("nas-client-7"), 4242, QStringLiteral("Tavimo")});
    lock.release();
    EXPECT_EQ(named().host, QStringLiteral("nas-client-7"));
}

TEST_F(LibraryLockTest, AFolderWhereNoLockFileCanBeMadeDoesNotStopTheProgram) {
    LibraryLock nowhere(library.filePath(QStringLiteral("missing/folder")));
    EXPECT_TRUE(nowhere.acquire());
    EXPECT_FALSE(nowhere.isHeld());
    nowhere.release();
}
