#pragma once

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo::test {

// Every entry below folder (links not followed) with what it is: a file's bytes, a link's
// target, a folder, anything else by its type. Two snapshots are equal only when nothing below
// the folder was written, replaced, moved or removed.
inline std::map<std::string, std::string> folderSnapshot(const QString& folder) {
    std::map<std::string, std::string> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray native = QFile::encodeName(path);
        struct stat info {};
        std::string what = "<gone>";
        if (::lstat(native.constData(), &info) == 0) {
            if (S_ISREG(info.st_mode)) {
                QFile file(path);
                what = file.open(QIODevice::ReadOnly) ? "file " + file.readAll().toStdString()
                                                      : "<unreadable>";
            } else if (S_ISLNK(info.st_mode)) {
                char target[4096];
                const ssize_t n = ::readlink(native.constData(), target, sizeof target);
                what = "link " + std::string(target, size_t(std::max<ssize_t>(n, 0)));
            } else if (S_ISDIR(info.st_mode)) {
                what = "folder";
            } else {
                what = "type " + std::to_string(info.st_mode & S_IFMT);
            }
        }
        entries[path.mid(folder.size()).toStdString()] = what;
    }
    return entries;
}

} // namespace tavimo::test
