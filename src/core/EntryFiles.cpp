#include "core/EntryFiles.h"

#include "core/Book.h"
#include "core/DriveProbe.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <dirent.h>

namespace tavimo {

namespace {

bool hasDriveLetter(const QString& entry) {
    if (entry.size() < 2 || entry.at(1) != u':')
        return false;
    const char16_t letter = entry.at(0).unicode();
    const bool ascii = (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
    return ascii && (entry.size() == 2 || entry.at(2) == u'\\' || entry.at(2) == u'/');
}

QString withSlashes(QString path) {
    return path.replace(u'\\', u'/');
}

// The file-name part of a path (after its last '/').
QString namePart(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// So many files are named in a message at most; a medium can hold hundreds of them.
constexpr qsizetype kNamedAtMost = 20;

} // namespace

QString entryFile(BookMode mode, const QString& root, const QString& entry) {
    if (hasDriveLetter(entry))
        return withSlashes(entry);
    if (mode != BookMode::Media)
        return entry;
    return root + withSlashes(entry);
}

AlbumVideoPaths albumVideoPaths(const Book& book, int index, const DriveProbe& probe) {
    AlbumVideoPaths result;
    if (!book.isValidIndex(index))
        return result;
    const BookAlbum& album = book.album(index);
    QStringList entries;
    for (const QString& entry : album.entries)
        if (!entry.isEmpty())
            entries.append(entry);
    QString root;
    if (book.mode() == BookMode::Media && !entries.isEmpty()) {
        MediumRecord record = album.record;
        root = determineCurrentMedium(record, entries, probe).root;
        if (root.isEmpty()) {
            result.mediumMissing = true;
            return result;
        }
    }
    for (const QString& entry : entries)
        result.paths.append(entryFile(book.mode(), root, entry));
    return result;
}

bool isPathHere(const QString& path) {
    return path.startsWith(u'/');
}

GoneFiles::Listing GoneFiles::listFolder(const QString& folder) {
    Listing listing;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr)
        return listing;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
            listing.names.insert(QFile::decodeName(name));
    }
    ::closedir(dir);
    listing.canTell = !listing.names.isEmpty();
    return listing;
}

bool GoneFiles::isGone(const QString& file) {
    const QString name = namePart(file);
    if (name.isEmpty())
        return true;
    if (!isPathHere(file))
        return false;
    const QString folder = file.left(file.size() - name.size());
    auto listing = folders_.constFind(folder);
    if (listing == folders_.cend())
        listing = folders_.insert(folder, listFolder(folder));
    if (!listing->canTell || listing->names.contains(name))
        return false;
    // A medium written on Windows (FAT, NTFS) finds a name in any letter case; its listing
    // holds the name as it was created.
    return !QFileInfo::exists(file);
}

bool canBeEntry(const QString& path) {
    return !path.contains(u'\n') && !path.contains(u'\r');
}

QStringList takeUnfitPaths(QStringList& paths) {
    QStringList unfit;
    QStringList fit;
    for (const QString& path : std::as_const(paths))
        (canBeEntry(path) ? fit : unfit).append(path);
    if (!unfit.isEmpty())
        paths = fit;
    return unfit;
}

QString unfitPathsMessage(const QStringList& unfit) {
    QStringList named;
    for (qsizetype i = 0; i < unfit.size() && i < kNamedAtMost; ++i) {
        // The break itself would only cut the name in two on the screen.
        QString shown = unfit.at(i);
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("[改行]"));
        shown.replace(u'\r', QStringLiteral("[改行]"));
        shown.replace(u'\n', QStringLiteral("[改行]"));
        named.append(shown);
    }
    if (unfit.size() > kNamedAtMost)
        named.append(QStringLiteral("ほか %1 ファイル").arg(unfit.size() - kNamedAtMost));
    return QStringLiteral("名前に改行を含むファイルはアルバムに登録できません。\r\n"
                          "次のファイルを除外しました。\r\n\r\n") +
           named.join(QStringLiteral("\r\n"));
}

} // namespace tavimo
