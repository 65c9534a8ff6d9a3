#include "core/MediumScan.h"

#include "core/AlbumShowing.h"
#include "core/DriveProbe.h"
#include "core/VideoExtensions.h"

#include <QFile>
#include <QSet>
#include <dirent.h>
#include <sys/stat.h>

namespace tavimo {

namespace {

struct Listing {
    QStringList folders; // names
    QStringList videos;  // names
};

bool isDotName(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// One folder's subfolders and videos, each sorted by name. Subfolders whose name begins with '.'
// are hidden ones and are skipped; videos are regular, non-empty files of a video extension,
// hidden or not. Symbolic links count as what they point to.
Listing listFolder(const QString& folder, const VideoExtensions& extensions, bool wantVideos) {
    Listing listing;
    const QByteArray base = QFile::encodeName(folder) + '/';
    DIR* dir = ::opendir(base.constData());
    if (dir == nullptr)
        return listing;
    while (const dirent* entry = ::readdir(dir)) {
        const char* raw = entry->d_name;
        if (isDotName(raw))
            continue;
        const QString name = QFile::decodeName(raw);
        const bool maybeVideo = wantVideos && extensions.isVideo(name);
        bool isDir = entry->d_type == DT_DIR;
        bool isFile = entry->d_type == DT_REG;
        off_t size = -1;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN || (isFile && maybeVideo)) {
            struct stat info {};
            if (::stat((base + raw).constData(), &info) != 0)
                continue;
            isDir = S_ISDIR(info.st_mode);
            isFile = S_ISREG(info.st_mode);
            size = info.st_size;
        }
        if (isDir && raw[0] != '.')
            listing.folders.append(name);
        else if (isFile && maybeVideo && size > 0)
            listing.videos.append(name);
    }
    ::closedir(dir);
    albumshow::sortNames(listing.folders);
    albumshow::sortNames(listing.videos);
    return listing;
}

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace

QString albumNameForFolder(const QString& folder) {
    QString path = folder;
    while (path.endsWith(u'/'))
        path.chop(1);
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    return name.isEmpty() ? QStringLiteral("noname") : name;
}

MediumScan scanMedium(const QString& root, const DriveProbe& probe,
                      const VideoExtensions& extensions, bool withFolderVideos,
                      const std::atomic_bool* stop) {
    MediumScan scan;
    if (root.isEmpty() || probe.mediumKind(root) <= kMediumNone)
        return scan;
    const MediumRecord record = probe.fillRecord(root);
    if (record.serial == 0)
        return scan;
    scan.usable = true;
    scan.albumName = record.label.isEmpty() ? QStringLiteral("noname") : record.label;

    const Listing top = listFolder(root, extensions, true);
    for (const QString& name : top.videos)
        scan.rootVideos.append(joined(root, name));
    // A folder reached twice (through a link) is listed once. Each folder is read once: its
    // subfolders feed the next level, its videos the album of the whole medium.
    QSet<QString> seen;
    QStringList level;
    for (const QString& name : top.folders)
        level.append(joined(root, name));
    scan.files = scan.rootVideos;
    for (int depth = 1; depth <= kMediumScanLevels && !level.isEmpty(); ++depth) {
        QStringList next;
        for (const QString& folder : std::as_const(level)) {
            if (stop != nullptr && stop->load())
                return scan;
            if (seen.contains(folder))
                continue;
            seen.insert(folder);
            scan.folders.append(folder);
            const Listing inside = listFolder(folder, extensions, withFolderVideos);
            for (const QString& name : inside.videos)
                scan.files.append(joined(folder, name));
            if (depth < kMediumScanLevels)
                for (const QString& name : inside.folders)
                    next.append(joined(folder, name));
        }
        level = std::move(next);
    }
    return scan;
}

} // namespace tavimo
