#include "core/StagedFiles.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo {

namespace {

// Writes all of data, retrying short writes; the errno of a failure, 0 on success.
int writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        data += written;
        size -= written;
    }
    return 0;
}

} // namespace

StagedFiles::~StagedFiles() {
    for (const Staged& file : staged_)
        ::unlink(file.temporary.constData());
}

void StagedFiles::fail(const QString& path, int error) {
    failure_.ok = false;
    failure_.path = path;
    failure_.error = QString::fromLocal8Bit(std::strerror(error));
}

bool StagedFiles::stage(const QString& path, const QList<QByteArrayView>& pieces) {
    if (!failure_)
        return false;
    // The same length of suffix as every other atomic write, so the name rules that keep
    // names short enough for it hold here too.
    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        fail(path, errno);
        return false;
    }
    staged_.append({path, temporary});
    int error = 0;
    for (QByteArrayView piece : pieces)
        if ((error = writeAll(fd, piece.data(), piece.size())) != 0)
            break;
    // The data must be on the disk before the rename makes it the file.
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    // Keep the old file's permissions, as a rewrite in place would.
    struct stat old {};
    if (error == 0 && ::stat(QFile::encodeName(path).constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    else if (error == 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        fail(path, error);
        return false;
    }
    return true;
}

bool StagedFiles::commit() {
    if (!failure_)
        return false;
    while (!staged_.isEmpty()) {
        const Staged file = staged_.takeFirst();
        if (::rename(file.temporary.constData(), QFile::encodeName(file.path).constData()) != 0) {
            fail(file.path, errno);
            ::unlink(file.temporary.constData());
            return false;
        }
    }
    return true;
}

} // namespace tavimo
