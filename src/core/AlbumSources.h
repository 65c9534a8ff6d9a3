#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>

namespace tavimo {

class DriveProbe;
class VideoExtensions;

// One album to be made from the file system: its name and the videos it is filled with. These
// are found on a worker thread (listing folders can take long, or hang on a network mount);
// the interface thread then makes the albums one after the other.
struct AlbumSource {
    QString name;
    QStringList files;       // full paths, in the order they are added
    QString folder;          // the video folder to remember; empty for none
    bool closeAfter = false; // the album window closes once the album is filled
};

// One album per folder, in order, each named after its folder and filled with the videos
// directly inside it. closeEach: the album window closes after each (several dropped folders).
// stop, when given, is read before each folder; folders not reached are left out.
QList<AlbumSource> albumSourcesOfFolders(const QStringList& folders, bool closeEach,
                                         const VideoExtensions& extensions,
                                         const std::atomic_bool* stop = nullptr);

// The albums made of the medium mounted at root: one album of all its videos, named by its
// label, which stays open (perFolder false); or one album of the root's videos when it has
// any and one per folder, also one without videos, each closing after it is made (perFolder
// true, making a book). None when root is no medium or its volume has no serial number.
QList<AlbumSource> albumSourcesOfMedium(const QString& root, bool perFolder,
                                        const DriveProbe& probe, const VideoExtensions& extensions,
                                        const std::atomic_bool* stop = nullptr);

} // namespace tavimo
