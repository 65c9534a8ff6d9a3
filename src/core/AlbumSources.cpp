#include "core/AlbumSources.h"

#include "core/MediumScan.h"
#include "core/VideoOperations.h"

namespace tavimo {

namespace {

bool stopped(const std::atomic_bool* stop) {
    return stop != nullptr && stop->load();
}

AlbumSource folderSource(const QString& folder, bool closeAfter,
                         const VideoExtensions& extensions) {
    return AlbumSource{albumNameForFolder(folder), videosInFolder(folder, extensions), folder,
                       closeAfter};
}

} // namespace

QList<AlbumSource> albumSourcesOfFolders(const QStringList& folders, bool closeEach,
                                         const VideoExtensions& extensions,
                                         const std::atomic_bool* stop) {
    QList<AlbumSource> sources;
    for (const QString& folder : folders) {
        if (stopped(stop))
            break;
        if (!folder.isEmpty())
            sources.append(folderSource(folder, closeEach, extensions));
    }
    return sources;
}

QList<AlbumSource> albumSourcesOfMedium(const QString& root, bool perFolder,
                                        const DriveProbe& probe, const VideoExtensions& extensions,
                                        const std::atomic_bool* stop) {
    const MediumScan scan =
        scanMedium(root, probe, extensions, /*withFolderVideos=*/!perFolder, stop);
    if (!scan.usable)
        return {};
    if (!perFolder)
        return {AlbumSource{scan.albumName, scan.files, QString(), false}};
    QList<AlbumSource> sources;
    if (!scan.rootVideos.isEmpty())
        sources.append(AlbumSource{scan.albumName, scan.rootVideos, root, true});
    // Every folder becomes an album, also one without videos.
    for (const QString& folder : scan.folders) {
        if (stopped(stop))
            break;
        sources.append(folderSource(folder, true, extensions));
    }
    return sources;
}

} // namespace tavimo
