#include "platform/LibraryLock.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo::platform {

namespace {

// A holder's text is three short lines; anything longer is not ours and is not read further.
constexpr qsizetype kMaxLockText = 4096;
// Each unlink of the file by the program that held it costs one more try; a file that keeps
// changing under us beyond this means another program is starting on the library right now.
constexpr int kAttempts = 8;

QByteArray readAt(int fd) {
    QByteArray text(kMaxLockText, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < text.size()) {
        const ssize_t n = ::pread(fd, text.data() + got, size_t(text.size() - got), off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    text.truncate(got);
    return text;
}

LockHolder holderOfFile(const QByteArray& nativePath) {
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return {};
    const LockHolder holder = LockHolder::fromText(readAt(fd));
    ::close(fd);
    return holder;
}

bool writeAt(int fd, const QByteArray& text) {
    if (::ftruncate(fd, 0) != 0)
        return false;
    qsizetype done = 0;
    while (done < text.size()) {
        const ssize_t n =
            ::pwrite(fd, text.constData() + done, size_t(text.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    // On a share the other computer reads the file, not our cache.
    return ::fdatasync(fd) == 0;
}

// The name of the program a process runs, as the system keeps it (/proc/PID/comm is readable
// for every user's processes, unlike /proc/PID/exe); empty when the process is gone.
QString programOf(const QString& process) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(process));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(comm.readAll().trimmed());
}

QString thisProgram() {
    return programOf(QStringLiteral("self"));
}

bool exists(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace

QByteArray LockHolder::toText() const {
    return "host=" + host.toUtf8() + "\npid=" + QByteArray::number(pid) +
           "\nprogram=" + program.toUtf8() + '\n';
}

LockHolder LockHolder::fromText(const QByteArray& text) {
    LockHolder holder;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray key = line.left(equals);
        const QByteArray value = line.mid(equals + 1);
        if (key == "host") {
            holder.host = QString::fromUtf8(value);
        } else if (key == "pid") {
            bool ok = false;
            const qint64 pid = value.toLongLong(&ok);
            holder.pid = ok && pid > 0 ? pid : 0;
        } else if (key == "program") {
            holder.program = QString::fromUtf8(value);
        }
    }
    return holder;
}

LockHolder LockHolder::self() {
    return {QSysInfo::machineHostName(), qint64(::getpid()), thisProgram()};
}

bool LockHolder::mayBeRunning() const {
    if (!known())
        return false;
    const LockHolder me = self();
    if (host != me.host)
        return true;
    if (pid == me.pid)
        return false; // a file left by an earlier process that had our pid
    if (me.program.isEmpty())
        return true;                                      // nothing here can tell programs apart
    return programOf(QString::number(pid)) == me.program; // empty when the process is gone
}

LibraryLock::LibraryLock(const QString& libraryFolder)
    : folder_(QDir::cleanPath(libraryFolder)),
      path_(QDir(libraryFolder).filePath(QString::fromUtf16(kFileName))) {}

LibraryLock::~LibraryLock() {
    release();
}

bool LibraryLock::acquire() {
    if (fd_ >= 0)
        return true;
    holder_ = {};
    failure_ = 0;
    const QByteArray native = QFile::encodeName(path_);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Never through a link (a dangling one would make the file wherever it points), and
        // never blocking on a FIFO.
        const int fd = ::open(native.constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
        if (fd < 0) {
            // A lock that cannot be taken guards nothing: a second program would pass it too.
            failure_ = errno;
            holder_ = holderOfFile(native);
            return false;
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            failure_ = errno;
        else if (!S_ISREG(info.st_mode))
            failure_ = kNotRegularFile;
        if (failure_ != 0) {
            ::close(fd);
            return false;
        }
        int rc;
        do {
            rc = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0 && errno == EWOULDBLOCK) {
            holder_ = LockHolder::fromText(readAt(fd));
            ::close(fd);
            return false;
        }
        // Any other failure: the file system keeps no locks, and the holder named decides.
        const bool locked = rc == 0;
        if (!lockfile::stillNames(fd, path_)) {
            // The holder removed the file (its exit) between our open and our lock.
            ::close(fd);
            continue;
        }
        const LockHolder named = LockHolder::fromText(readAt(fd));
        if (named.mayBeRunning()) {
            holder_ = named;
            ::close(fd);
            return false;
        }
        holder_ = LockHolder::self();
        // Where the system keeps no locks, only the file's text keeps a second program away.
        if (!writeAt(fd, holder_.toText()) && !locked) {
            failure_ = errno != 0 ? errno : EIO;
            holder_ = {};
            ::close(fd);
            return false;
        }
        fd_ = fd;
        return true;
    }
    return false;
}

void LibraryLock::release() {
    if (fd_ < 0)
        return;
    // Removed while still locked, so that nobody takes the lock on a file about to go.
    if (lockfile::stillNames(fd_, path_))
        ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
    fd_ = -1;
}

QString LibraryLock::refusal() const {
    const QString folder = QDir::toNativeSeparators(folder_);
    const QString file = QDir::toNativeSeparators(path_);
    if (failure_ != 0 && !holder_.mayBeRunning()) {
        const QString why = failure_ == kNotRegularFile
                                ? QStringLiteral("通常のファイルではありません")
                            : failure_ == ELOOP ? QStringLiteral("シンボリックリンクです")
                                                : QString::fromLocal8Bit(std::strerror(failure_));
        // A file that is there and cannot be used, or a folder where none can be made.
        if (exists(path_))
            return QStringLiteral("ライブラリフォルダー「%1」のロックファイルを使えないため、"
                                  "ライブラリを開けません。\r\n%2\r\n%3\r\nほかの Tavimo が"
                                  "動いていないときは、%2 を削除してから、もう一度起動してくだ"
                                  "さい。")
                .arg(folder, file, why);
        return QStringLiteral("ライブラリフォルダー「%1」にロックファイルを作れないため、ライブ"
                              "ラリを開けません。\r\n%2\r\n%3\r\nフォルダーに書き込めるように"
                              "してから、もう一度起動してください。")
            .arg(folder, file, why);
    }
    const QString retry =
        QStringLiteral("\r\nその Tavimo を終了してから、もう一度起動してください。");
    if (!holder_.known())
        return QStringLiteral("ライブラリフォルダー「%1」は、ほかの Tavimo が使っています。")
                   .arg(folder) +
               retry +
               QStringLiteral("\r\nTavimo が動いていないときは、%1 を削除してから起動して"
                              "ください。")
                   .arg(file);
    if (holder_.host == QSysInfo::machineHostName())
        return QStringLiteral("ライブラリフォルダー「%1」は、このコンピューターのほかの Tavimo"
                              "（プロセス %2）が使っています。")
                   .arg(folder)
                   .arg(holder_.pid) +
               retry +
               QStringLiteral("\r\nこのコンピューターで Tavimo が動いていないときは、%1 "
                              "を削除してから起動してください。")
                   .arg(file);
    return QStringLiteral("ライブラリフォルダー「%1」は、コンピューター「%2」の Tavimo"
                          "（プロセス %3）が使っています。")
               .arg(folder, holder_.host)
               .arg(holder_.pid) +
           retry +
           QStringLiteral("\r\nそのコンピューターで Tavimo が動いていないときは、%1 "
                          "を削除してから起動してください。")
               .arg(file);
}

namespace lockfile {

bool stillNames(int fd, const QString& path) {
    struct stat open {};
    struct stat named {};
    if (::fstat(fd, &open) != 0 || open.st_nlink == 0)
        return false;
    if (::lstat(QFile::encodeName(path).constData(), &named) != 0)
        return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace lockfile

} // namespace tavimo::platform
