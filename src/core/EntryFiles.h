#pragma once

#include "core/BookMode.h"

#include <QHash>
#include <QSet>
#include <QStringList>

// How an album's entries (the lines of its album file) relate to files: where the file of an
// entry lies, whether it is gone, and which paths can become entries at all.
namespace tavimo {

// Where the file of an album entry lies on this system; every entry becomes a file through
// this one function. In normal books an entry is the file's full path. In media books it is the
// path below the medium's root (ending in '/'). A media entry written on Windows separates its
// folders with '\', read here as '/'. An entry with a drive letter ("C:\...") is a path of a
// Windows system, in either kind of book: its '\' become '/' (so that its file-name part shows)
// but no root is put in front, and it stays no path of this system, as does a media entry while
// root is empty (its medium is not mounted).
QString entryFile(BookMode mode, const QString& root, const QString& entry);

class Book;
class DriveProbe;

// Where the videos of album `index` of the book lie now (entryFile): full paths in album order.
// In media books the entries are below the album's medium, which is looked for among the
// mounted volumes; mediumMissing tells that it is not mounted (then there are no paths).
struct AlbumVideoPaths {
    QStringList paths;
    bool mediumMissing = false;
};
AlbumVideoPaths albumVideoPaths(const Book& book, int index, const DriveProbe& probe);

// True when path names a place on this system: an absolute path. What entryFile gives for an
// entry that cannot be reached here is not one.
bool isPathHere(const QString& path);

// Decides whether the file of an entry is gone, for the album window and the player alike. A
// file is gone when its entry has no file name, or when the folder that should hold it exists,
// can be read, holds something and lacks it. A folder or disk that cannot be reached, or an
// empty folder (an unmounted disk often leaves its mount point behind as one), cannot tell; a
// path that is not of this system cannot be checked: their entries stay. Each folder is read
// once, so checking many thousands of entries costs one listing per folder.
class GoneFiles {
public:
    // file: what entryFile gave for the entry.
    bool isGone(const QString& file);

private:
    struct Listing {
        bool canTell = false;
        QSet<QString> names;
    };
    static Listing listFolder(const QString& folder);
    QHash<QString, Listing> folders_;
};

// True when path can become an album entry: the album file keeps one entry per line, so a path
// holding a line break (CR or LF) would come back as two entries and shift the pictures,
// bookmarks and counts that follow it.
bool canBeEntry(const QString& path);

// Removes from paths those that cannot become entries and answers them, in their order.
QStringList takeUnfitPaths(QStringList& paths);

// The message that tells the user which files were left out for a line break in their names.
QString unfitPathsMessage(const QStringList& unfit);

} // namespace tavimo
