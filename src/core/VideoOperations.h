#pragma once

#include "core/MediumRecord.h"

#include <QLocale>
#include <QStringList>
#include <functional>

namespace tavimo {

class Album;
class DialogService;
class DriveProbe;
class FileTrash;
class VideoExtensions;

// The commands of the album window that change the open album, each followed by the saves
// that keep its files in step: the album file and store, then the marks and counts files.
// Indexes are the album window's current video; every command checks its own guard and does
// nothing when it does not hold. Commands answer the current video afterwards.
class VideoOperations {
public:
    VideoOperations(Album& album, DialogService& dialogs) : album_(album), dialogs_(dialogs) {}

    // Media books: told the album's medium whenever it is found, chosen or forgotten, for the
    // book's media registry.
    void setMediumRecorded(std::function<void(const MediumRecord&)> recorded) {
        mediumRecorded_ = std::move(recorded);
    }

    bool canMoveBack(int current) const;
    bool canMoveForward(int current) const;
    int moveBack(int current);
    int moveForward(int current);
    int moveToFront(int current);
    int moveToEnd(int current);

    bool canDelete(int current) const;
    // Removes the video from the album; its file stays. Answers the video now at its place,
    // else the one before it, else -1.
    int deleteFromAlbum(int current);
    // Sends the video's file to the trash (a missing or read-only file, or a failed move, is
    // reported), then removes the video as deleteFromAlbum does.
    int deleteFile(int current, FileTrash& trash);

    bool canSort() const;
    void sortByName(const QLocale& locale = QLocale::system());
    void sortByPlayCount();

    // Adding files (full paths, sorted): the rules for removable media, with their messages.
    // In media books this may fix the album's medium, recording it, and drop the videos that
    // medium lacks. Answers the files still to be added (their thumbnails are the caller's).
    QStringList prepareAddition(const QStringList& files, const DriveProbe& probe);

    // Saves album file and store, then marks and counts.
    void save();

private:
    void recordMedium();
    void removeVideo(int index);

    Album& album_;
    DialogService& dialogs_;
    std::function<void(const MediumRecord&)> mediumRecorded_;
};

// The videos directly inside folder (no subfolders), sorted by name as paths: what adding a
// folder adds.
QStringList videosInFolder(const QString& folder, const VideoExtensions& extensions);

} // namespace tavimo
