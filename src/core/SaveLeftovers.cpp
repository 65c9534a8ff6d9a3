#include "core/SaveLeftovers.h"

#include "core/LibraryBoundary.h"
#include "core/SaveJournal.h"

#include <QFile>
#include <QList>
#include <QSet>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo::saveleftovers {

namespace {

constexpr qsizetype kRandomLetters = 6; // as SaveUnit's and QSaveFile's temporary names

bool isLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// A name that is an extension and something before it.
bool hasExtension(const QByteArray& name, QByteArrayView extension) {
    return name.size() > extension.size() && name.endsWith(extension);
}

// The names in the folder open as fd (which stays open).
QList<QByteArray> namesIn(int fd) {
    QList<QByteArray> names;
    const int listed = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (listed < 0)
        return names;
    DIR* dir = ::fdopendir(listed);
    if (!dir) {
        ::close(listed);
        return names;
    }
    // The copy shares its position with fd, which an earlier listing left at the end.
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

// A folder below the one open as fd, opened only when it is a folder and no link.
int openFolderIn(int fd, const QByteArray& name) {
    return ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void removeIn(int fd, const QString& path, Folder kind, QStringList& removed) {
    for (const QByteArray& name : namesIn(fd)) {
        if (!isLeftoverName(name, kind))
            continue;
        struct stat info {};
        if (::fstatat(fd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode))
            continue;
        if (::unlinkat(fd, name.constData(), 0) == 0)
            removed.append(path + QFile::decodeName(name));
    }
}

} // namespace

bool isLeftoverName(const QByteArray& name, Folder folder) {
    const qsizetype dot = name.size() - kRandomLetters - 1;
    if (dot <= 0 || name.at(dot) != '.')
        return false;
    for (qsizetype i = dot + 1; i < name.size(); ++i)
        if (!isLetterOrDigit(name.at(i)))
            return false;
    const QByteArray target = name.left(dot);
    switch (folder) {
    case Folder::Library:
        return hasExtension(target, ".book") || target == "Tavimo.ini" || target == "media.inf" ||
               target == "userex.inf";
    case Folder::Book:
        return hasExtension(target, ".alb") || hasExtension(target, ".mrk") ||
               hasExtension(target, ".cnt") || target == "media.dat";
    case Folder::Images:
        return hasExtension(target, ".pjpg");
    }
    return false;
}

QStringList removeLeftoverTemporaries(const QString& libraryFolder) {
    QStringList removed;
    const LibraryBoundary library(libraryFolder);
    const int root = library.folderFd();
    if (root < 0)
        return removed;
    struct stat info {};
    const QByteArray journal = QFile::encodeName(QString::fromUtf16(savejournal::kFileName));
    if (::fstatat(root, journal.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return removed;

    // The books' folders: named after each book file, or after a book file's temporary (a new
    // book whose first save was killed).
    QSet<QByteArray> titles;
    for (const QByteArray& name : namesIn(root)) {
        if (name.toLower().endsWith(".book") && name.size() > 5)
            titles.insert(name.chopped(5));
        else if (isLeftoverName(name, Folder::Library) &&
                 name.chopped(kRandomLetters + 1).endsWith(".book"))
            titles.insert(name.chopped(kRandomLetters + 1 + 5));
    }
    removeIn(root, libraryFolder, Folder::Library, removed);
    for (const QByteArray& title : std::as_const(titles)) {
        const int book = openFolderIn(root, title);
        if (book < 0)
            continue;
        const QString bookPath = libraryFolder + QFile::decodeName(title) + u'/';
        removeIn(book, bookPath, Folder::Book, removed);
        const int images = openFolderIn(book, "images");
        if (images >= 0) {
            removeIn(images, bookPath + QStringLiteral("images/"), Folder::Images, removed);
            ::close(images);
        }
        ::close(book);
    }
    return removed;
}

} // namespace tavimo::saveleftovers
