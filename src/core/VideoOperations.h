#pragma once

#include "core/MediumRecord.h"
#include "core/Problem.h"
#include "core/RowOrder.h"

#include <QLocale>
#include <QStringList>
#include <functional>
#include <optional>

namespace tavimo {

class Album;
class LibrarySession;
class DriveProbe;
class FileTrash;
class VideoExtensions;

// The commands of the album window that change the open album (the session saves what they
// change). Indexes are the album window's current video; every command checks its own guard
// and does nothing when it does not hold. Commands answer the current video afterwards.
class VideoOperations {
public:
    explicit VideoOperations(LibrarySession& session);

    // The video one place back or forward, to the front or to the end.
    int move(int current, RowStep step);

    bool canDelete(int current) const;
    // Removes the video from the album; its file stays. Answers the video now at its place,
    // else the one before it, else -1.
    int deleteFromAlbum(int current);
    // Sends the video's file to the trash, before deleteFromAlbum removes the video: a missing
    // or read-only file, or a failed move, is the problem answered.
    std::optional<Problem> trashFile(int current, FileTrash& trash);

    bool canSort() const;
    void sortByName(const QLocale& locale = QLocale::system());
    void sortByPlayCount();

    // Adding files (full paths, sorted): the rules for removable media, whose refusal is added
    // to problems. In media books this may fix the album's medium, recording it, and drop the
    // videos that medium lacks. Files whose path cannot become an entry are left out and named
    // in one problem. Answers the files still to be added (their thumbnails are the caller's).
    QStringList prepareAddition(const QStringList& files, const DriveProbe& probe,
                                QList<Problem>& problems);

private:
    LibrarySession& session_;
    Album& album_;
};

// The videos directly inside folder (no subfolders), sorted by name as paths: what adding a
// folder adds.
QStringList videosInFolder(const QString& folder, const VideoExtensions& extensions);

} // namespace tavimo
