#include "platform/LibraryLock.h"

#include "support/TestFiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
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

    // A process that runs under this program's name as the system keeps it (this test's
    // name, as the lock compares it): sleep, started through a link of that name.
    QProcess* startNamedLikeUs(QObject* parent) {
        const QString name = QString::fromUtf8(readTestFile("/proc/self/comm").trimmed());
        const QString link = programs.filePath(name);
        QFile::link(QStringLiteral("/bin/sleep"), link);
        auto* process = new QProcess(parent);
        process->start(link, {QStringLiteral("30")});
        return process->waitForStarted(10000) ? process : nullptr;
    }

    QTemporaryDir library;
    QTemporaryDir programs;
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
    // of this computer that runs this program.
    QObject owner;
    QProcess* sleeper = startNamedLikeUs(&owner);
    ASSERT_NE(sleeper, nullptr);
    const LockHolder running{QSysInfo::machineHostName(), sleeper->processId(),
                             QStringLiteral("Tavimo")};
    writeHolder(running);
    LibraryLock lock(library.path());
    EXPECT_FALSE(lock.acquire());
    EXPECT_EQ(lock.holder().pid, running.pid);
    const QString refusal = lock.refusal();
    EXPECT_TRUE(refusal.contains(QString::number(running.pid)));
    // Which file to remove when no Tavimo runs after all.
    EXPECT_TRUE(refusal.contains(QDir::toNativeSeparators(lockFile()) + QStringLiteral(" を削除")))
        << refusal.toStdString();
    EXPECT_EQ(named().pid, running.pid); // the file is left as it was
    sleeper->kill();
    sleeper->waitForFinished(10000);
    EXPECT_TRUE(lock.acquire());

    // Another computer's process: nothing here can tell whether it runs, so it is honoured and
    // the message names the computer and the file to remove when it does not.
    lock.release();
    writeHolder({QStringLiteral("nas-client-7"), 4242, QStringLiteral("Tavimo")});
    LibraryLock remote(library.path());
    EXPECT_FALSE(remote.acquire());
    const QString remoteRefusal = remote.refusal();
    EXPECT_TRUE(remoteRefusal.contains(QStringLiteral("コンピューター「nas-client-7」")))
        << remoteRefusal.toStdString();
    EXPECT_TRUE(remoteRefusal.contains(QStringLiteral("4242")));
    EXPECT_TRUE(remoteRefusal.contains(QDir::toNativeSeparators(lockFile())));
    EXPECT_EQ(named().host, QStringLiteral("nas-client-7"));
}

TEST_F(LibraryLockTest, ALiveProcessOfAnotherProgramHoldsNothing) {
    // Whatever the file says that process runs: a hand-made file naming pid 1 with no program,
    // or a live sleep named as the program.
    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(sleeper.waitForStarted(10000));
    const QString host = QSysInfo::machineHostName();
    for (const QByteArray& text :
         {"host=" + host.toUtf8() + "\npid=1\n",
          LockHolder{host, sleeper.processId(), QStringLiteral("sleep")}.toText(),
          LockHolder{host, sleeper.processId(), QStringLiteral("Tavimo")}.toText()}) {
        ASSERT_TRUE(writeTestFile(lockFile(), text));
        LibraryLock lock(library.path());
        EXPECT_TRUE(lock.acquire()) << text.toStdString();
        EXPECT_EQ(named().pid, qint64(::getpid()));
    }
    sleeper.kill();
    sleeper.waitForFinished(10000);
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

TEST_F(LibraryLockTest, ALockThatCannotBeTakenKeepsTheProgramAwayAndSaysWhy) {
    const QString outside = programs.filePath(QStringLiteral("elsewhere.lock"));
    const QByteArray native = QFile::encodeName(lockFile());
    struct Case {
        const char* what;
        std::function<bool()> make;
        int failure;
        QString reason;
    };
    const Case cases[] = {
        {"a dangling link", [&] { return QFile::link(outside, lockFile()); }, ELOOP,
         QStringLiteral("シンボリックリンク")},
        {"a link to a file",
         [&] { return writeTestFile(outside, "") && QFile::link(outside, lockFile()); }, ELOOP,
         QStringLiteral("シンボリックリンク")},
        {"a folder", [&] { return QDir().mkpath(lockFile()); }, EISDIR,
         QString::fromLocal8Bit(std::strerror(EISDIR))},
        {"a FIFO", [&] { return ::mkfifo(native.constData(), 0644) == 0; },
         LibraryLock::kNotRegularFile, QStringLiteral("通常のファイルではありません")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.make());
        LibraryLock lock(library.path());
        EXPECT_FALSE(lock.acquire());
        EXPECT_FALSE(lock.isHeld());
        EXPECT_EQ(lock.failure(), c.failure);
        const QString refusal = lock.refusal();
        EXPECT_TRUE(refusal.contains(QDir::toNativeSeparators(lockFile())))
            << refusal.toStdString();
        EXPECT_TRUE(refusal.contains(c.reason)) << refusal.toStdString();
        EXPECT_TRUE(refusal.contains(QStringLiteral("を削除してから"))) << refusal.toStdString();
        lock.release();
        // Nothing was written, through the link or beside it.
        EXPECT_FALSE(QFileInfo::exists(outside) && QFileInfo(outside).size() != 0);
        EXPECT_EQ(
            QDir(library.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
            QStringList{QStringLiteral("Tavimo.lock")});
        EXPECT_TRUE(QFile::remove(lockFile()) || QDir(lockFile()).removeRecursively());
        QFile::remove(outside);
    }

    // A library folder where no lock file can be made: refused, naming the folder.
    LibraryLock nowhere(library.filePath(QStringLiteral("missing/folder")));
    EXPECT_FALSE(nowhere.acquire());
    EXPECT_EQ(nowhere.failure(), ENOENT);
    EXPECT_TRUE(
        nowhere.refusal().contains(QStringLiteral("missing/folder」にロックファイルを作れない")))
        << nowhere.refusal().toStdString();

    // A file this user may not write (root writes any file, so only others see this one).
    if (::geteuid() != 0) {
        writeHolder({QSysInfo::machineHostName(), deadPid(), QStringLiteral("Tavimo")});
        ASSERT_EQ(::chmod(native.constData(), 0444), 0);
        LibraryLock lock(library.path());
        EXPECT_FALSE(lock.acquire());
        EXPECT_EQ(lock.failure(), EACCES);
    }
}
