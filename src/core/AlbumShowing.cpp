#include "core/AlbumShowing.h"

#include "core/Album.h"
#include "core/DialogService.h"
#include "core/VideoExtensions.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace tavimo::albumshow {

namespace {

// The folder part of a path, with its trailing '/' (empty for a bare name).
QString folderPart(const QString& path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

} // namespace

void sortNames(QStringList& names) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
}

bool synchroniseWithFolder(Album& album, const VideoExtensions& extensions) {
    if (album.count() == 0)
        return false;
    const QString folder = folderPart(album.entry(0));
    QList<int> strangers;
    for (int i = 0; i < album.count(); ++i)
        if (folderPart(album.entry(i)) != folder)
            strangers.append(i);
    album.removeAll(strangers);

    QSet<QString> listed;
    for (const QString& entry : album.entries())
        listed.insert(entry.toCaseFolded());
    QStringList joining;
    const QDir dir(folder);
    const auto files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString& name : files) {
        const QString path = folder + name;
        if (extensions.isVideo(path) && !listed.contains(path.toCaseFolded()))
            joining.append(path);
    }
    sortNames(joining);
    for (const QString& path : joining)
        album.append(path, {});
    return !joining.isEmpty();
}

int dropMissingFiles(Album& album, const std::function<void(int)>& progress, int block) {
    if (album.rootUnknown()) {
        if (progress)
            progress(album.count());
        return 0;
    }
    QList<int> gone;
    QHash<QString, bool> reachable; // folder -> whether it can tell that a file is gone
    for (int i = 0; i < album.count(); ++i) {
        if (progress && i > 0 && i % std::max(block, 1) == 0)
            progress(i);
        const QString path = album.fullPath(i);
        if (fileNamePart(path).isEmpty()) {
            gone.append(i);
            continue;
        }
        // A path written on Windows cannot be checked here; it stays as it is.
        if (!album.isLocalFile(i))
            continue;
        const QFileInfo file(path);
        if (file.exists())
            continue;
        // A folder that cannot be searched cannot tell, and neither can an empty one: an
        // unmounted disk often leaves its mount point behind as an empty folder.
        const QString folderPath = file.path();
        auto known = reachable.constFind(folderPath);
        if (known == reachable.cend()) {
            const QFileInfo folder(folderPath);
            const bool canTell = folder.isDir() && folder.isExecutable() &&
                                 !QDir(folderPath)
                                      .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden | QDir::System);
            known = reachable.insert(folderPath, canTell);
        }
        if (*known)
            gone.append(i);
    }
    if (progress)
        progress(album.count());
    album.removeAll(gone);
    return int(gone.size());
}

QList<int> videosWithoutPicture(const Album& album) {
    QList<int> missing;
    if (album.rootUnknown())
        return missing;
    for (int i = 0; i < album.count(); ++i)
        if (album.needsThumbnail(i) && album.isLocalFile(i) && QFileInfo::exists(album.fullPath(i)))
            missing.append(i);
    return missing;
}

} // namespace tavimo::albumshow

namespace tavimo {

QString albumWindowCaption(const Album& album) {
    const QString files = QString::number(album.count()) + QStringLiteral(" files");
    const QString head = QStringLiteral(" アルバム　 ～ ") + album.name();
    if (!album.isMediaMode())
        return head + QStringLiteral(" ～　　　") + files;
    QString kind;
    switch (album.medium().kind) {
    case kMediumCd:
        kind = QStringLiteral(" ～　　　［ CD :　");
        break;
    case kMediumDvd:
        kind = QStringLiteral(" ～　　　［ DVD :　");
        break;
    case kMediumRemovable:
        kind = QStringLiteral(" ～　　　［ Removable ：　");
        break;
    default:
        kind = QStringLiteral(" ～　　［ No Media ");
        break;
    }
    const QString unset = album.driveRoot().isEmpty() ? QStringLiteral("　未セット") : QString();
    return head + kind + album.medium().label + unset + QStringLiteral(" ］　　") + files;
}

bool keepUnreadableFile(const QString& fullPath, bool openedPartly, bool skipUnreadable,
                        DialogService& dialogs) {
    if (skipUnreadable)
        return false;
    const QString named = openedPartly ? fullPath : fileNamePart(fullPath);
    const auto answer = dialogs.message(
        named + QStringLiteral("は縮小画像を作成できませんでした。このファイルを除外しますか？"),
        DialogService::Buttons::YesNo, DialogService::Icon::Question);
    return answer == DialogService::Answer::No;
}

} // namespace tavimo
