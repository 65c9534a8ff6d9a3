#include "platform/SingleInstance.h"

#include <QDir>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavimo::platform {

SingleInstance::SingleInstance(const QString& folder) {
    const QString dir = folder.isEmpty() ? runtimeFolder() : folder;
    path_ = QDir(dir).filePath(QStringLiteral("tavi_Mutex.lock"));
}

SingleInstance::~SingleInstance() {
    release();
}

QString SingleInstance::runtimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    const QString fallback =
        QDir::tempPath() + QStringLiteral("/runtime-") + QString::number(::getuid());
    QDir().mkpath(fallback);
    QFile::setPermissions(fallback,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return fallback;
}

bool SingleInstance::acquire() {
    if (fd_ >= 0)
        return true;
    const QByteArray native = QFile::encodeName(path_);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true; // no lock file possible (read-only runtime folder): run unguarded
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool heldByOther = errno == EWOULDBLOCK;
        ::close(fd);
        return !heldByOther; // a file system without locks does not stop the start
    }
    fd_ = fd;
    return true;
}

void SingleInstance::release() {
    if (fd_ < 0)
        return;
    ::close(fd_); // closing the only descriptor drops the lock
    fd_ = -1;
}

} // namespace tavimo::platform
