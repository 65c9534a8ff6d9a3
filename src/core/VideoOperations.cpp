#include "core/VideoOperations.h"

#include "core/Album.h"
#include "core/AlbumShowing.h"
#include "core/EntryFiles.h"
#include "core/FileTrash.h"
#include "core/LibrarySession.h"
#include "core/MediaAddition.h"
#include "core/RegularFiles.h"
#include "core/VideoExtensions.h"
#include "core/VideoSort.h"

#include <QDir>

namespace tavimo {

VideoOperations::VideoOperations(LibrarySession& session)
    : session_(session), album_(session.album()) {}

int VideoOperations::move(int current, RowStep step) {
    return album_.step(current, step);
}

bool VideoOperations::canDelete(int current) const {
    return album_.isValidIndex(current);
}

int VideoOperations::deleteFromAlbum(int current) {
    if (!canDelete(current))
        return current;
    album_.remove(current);
    return std::min(current, album_.lastIndex());
}

std::optional<Problem> VideoOperations::trashFile(int current, FileTrash& trash) {
    if (!canDelete(current))
        return std::nullopt;
    const QString path = album_.fullPath(current);
    const QString message = trashVideoFile(path, trash);
    if (message.isEmpty())
        return std::nullopt;
    return Problem{message, path};
}

bool VideoOperations::canSort() const {
    return album_.count() >= 2;
}

void VideoOperations::sortByName(const QLocale& locale) {
    if (!canSort())
        return;
    QStringList names;
    for (int i = 0; i < album_.count(); ++i)
        names.append(album_.fileName(i));
    album_.reorder(nameSortOrder(names, locale));
}

void VideoOperations::sortByPlayCount() {
    if (!canSort())
        return;
    QList<int32_t> counts;
    for (int i = 0; i < album_.count(); ++i)
        counts.append(album_.playCount(i));
    album_.reorder(playCountSortOrder(counts));
}

QStringList VideoOperations::prepareAddition(const QStringList& files, const DriveProbe& probe,
                                             QList<Problem>& problems) {
    const AdditionPlan plan =
        planAddition(album_.mode(), album_.entries(),
                     CurrentMedium{album_.medium(), album_.driveRoot()}, files, probe);
    if (!plan.refusal.isEmpty()) {
        problems.append({plan.refusal});
        return {};
    }
    if (!plan.unfit.isEmpty())
        problems.append(
            {unfitPathsMessage(plan.unfit), plan.unfit.first(), QString(), Problem::Icon::Warning});
    if (plan.mediumFound)
        session_.recordMedium(plan.medium.record, plan.medium.root);
    if (plan.removeMissing) {
        const QList<int> missing = entriesMissingFrom(plan.medium.root, album_.entries());
        if (!missing.isEmpty()) {
            album_.removeAll(missing);
        }
    }
    return plan.files;
}

QStringList videosInFolder(const QString& folder, const VideoExtensions& extensions) {
    if (folder.isEmpty())
        return {};
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    const QDir dir(base);
    QStringList videos;
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    // Only regular files are videos: a FIFO named like one would block whatever opens it.
    for (const QString& name : names)
        if (extensions.isVideo(name) && isRegularFile(base + name))
            videos.append(base + name);
    albumshow::sortNames(videos);
    return videos;
}

} // namespace tavimo
