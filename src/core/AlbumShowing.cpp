#include "core/AlbumShowing.h"

#include "core/Album.h"
#include "core/EntryFiles.h"
#include "core/RegularFiles.h"
#include "core/VideoExtensions.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
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

bool synchroniseWithFolder(Album& album, const VideoExtensions& extensions, QStringList* unfit) {
    // A first video written on Windows ("C:\...") has no folder here to follow; an empty
    // folder part would list the working folder.
    if (album.count() == 0 || !album.isLocalFile(0))
        return false;
    const QString folder = folderPart(album.fullPath(0));
    QList<int> strangers;
    for (int i = 0; i < album.count(); ++i)
        if (folderPart(album.fullPath(i)) != folder)
            strangers.append(i);
    album.removeAll(strangers);

    QSet<QString> listed;
    for (int i = 0; i < album.count(); ++i)
        listed.insert(album.fullPath(i).toCaseFolded());
    QStringList joining;
    const QDir dir(folder);
    const auto files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString& name : files) {
        const QString path = folder + name;
        if (extensions.isVideo(path) && !listed.contains(path.toCaseFolded()) &&
            isRegularFile(path))
            joining.append(path);
    }
    const QStringList leftOut = takeUnfitPaths(joining);
    if (unfit != nullptr)
        *unfit = leftOut;
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
    GoneFiles files;
    for (int i = 0; i < album.count(); ++i) {
        if (progress && i > 0 && i % std::max(block, 1) == 0)
            progress(i);
        if (files.isGone(album.fullPath(i)))
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

QString exclusionQuestion(const QString& fullPath, bool openedPartly) {
    const QString named = openedPartly ? fullPath : fileNamePart(fullPath);
    return named + QStringLiteral("は縮小画像を作成できませんでした。このファイルを除外しますか？");
}

} // namespace tavimo
