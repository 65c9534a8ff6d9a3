#include "core/LibraryBoundary.h"

#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo {

LibraryBoundary::LibraryBoundary(const QString& libraryFolder) : folder_(libraryFolder) {
    if (!folder_.endsWith(u'/'))
        folder_ += u'/';
    fd_ = ::open(QFile::encodeName(folder_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        openError_ = errno;
}

LibraryBoundary::~LibraryBoundary() {
    if (fd_ >= 0)
        ::close(fd_);
}

LibraryBoundary::Parent::~Parent() {
    if (fd >= 0)
        ::close(fd);
}

LibraryBoundary::Kind LibraryBoundary::kindAt(int folderFd, const QByteArray& name, int* error) {
    struct stat info {};
    if (::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (error)
            *error = errno == ENOENT ? 0 : errno;
        return Kind::Absent;
    }
    if (S_ISREG(info.st_mode))
        return Kind::RegularFile;
    if (S_ISLNK(info.st_mode))
        return Kind::Link;
    if (S_ISDIR(info.st_mode))
        return Kind::Folder;
    return Kind::Other;
}

void LibraryBoundary::resolve(const QString& path, Parent& parent) const {
    if (fd_ < 0) {
        parent.problem = openError_;
        return;
    }
    if (!path.startsWith(folder_) || path.size() == folder_.size()) {
        parent.problem = kOutside;
        return;
    }
    const QStringList parts = path.mid(folder_.size()).split(u'/');
    for (const QString& part : parts) {
        if (part.isEmpty() || part == u"." || part == u"..") {
            parent.problem = kOutside;
            return;
        }
    }
    parent.fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (parent.fd < 0) {
        parent.problem = errno;
        return;
    }
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QByteArray name = QFile::encodeName(parts.at(i));
        const int next =
            ::openat(parent.fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int error = errno;
            // A link to a folder is refused as "not a folder" by O_NOFOLLOW: say what it is.
            parent.problem =
                error == ENOTDIR && kindAt(parent.fd, name) == Kind::Link ? kPassesLink : error;
            return;
        }
        ::close(parent.fd);
        parent.fd = next;
    }
    parent.name = QFile::encodeName(parts.last());
}

LibraryBoundary::Look LibraryBoundary::look(const QString& path) const {
    Parent parent;
    resolve(path, parent);
    if (parent.problem == ENOENT)
        return {}; // a folder on the way is missing: so is the file
    if (parent.problem != 0)
        return {parent.problem, Kind::Absent};
    Look found;
    found.kind = kindAt(parent.fd, parent.name, &found.problem);
    return found;
}

int LibraryBoundary::problemOfFile(const Parent& parent) {
    if (parent.problem != 0)
        return parent.problem;
    int error = 0;
    const Kind kind = kindAt(parent.fd, parent.name, &error);
    if (error != 0)
        return error;
    switch (kind) {
    case Kind::Absent:
        return ENOENT;
    case Kind::RegularFile:
        return 0;
    case Kind::Link:
        return kPassesLink;
    case Kind::Folder:
        return EISDIR;
    case Kind::Other:
        break;
    }
    return kNotRegularFile;
}

int LibraryBoundary::rename(const QString& from, const QString& to, bool replace) const {
    Parent source;
    resolve(from, source);
    if (const int problem = problemOfFile(source))
        return problem;
    Parent target;
    resolve(to, target);
    if (target.problem != 0)
        return target.problem;
    // The target is to be absent, or a regular file that is replaced.
    const int there = problemOfFile(target);
    if (there != ENOENT && !(replace && there == 0))
        return there == 0 ? EEXIST : there;
    if (::renameat(source.fd, source.name.constData(), target.fd, target.name.constData()) != 0)
        return errno;
    return 0;
}

int LibraryBoundary::remove(const QString& path) const {
    Parent parent;
    resolve(path, parent);
    if (const int problem = problemOfFile(parent))
        return problem;
    if (::unlinkat(parent.fd, parent.name.constData(), 0) != 0)
        return errno;
    return 0;
}

LibraryBoundary::Created LibraryBoundary::createFile(const QString& path, mode_t mode) const {
    Parent parent;
    resolve(path, parent);
    if (parent.problem != 0)
        return {-1, parent.problem};
    const int fd = ::openat(parent.fd, parent.name.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    return {fd, fd >= 0 ? 0 : errno};
}

QString LibraryBoundary::reason(int problem) {
    switch (problem) {
    case kPassesLink:
        return QStringLiteral("ライブラリフォルダーの中のシンボリックリンクはたどりません");
    case kOutside:
        return QStringLiteral("ライブラリフォルダーの外のファイルです");
    case kNotRegularFile:
        return QStringLiteral("通常のファイルではありません");
    default:
        return QString::fromLocal8Bit(std::strerror(problem));
    }
}

} // namespace tavimo
