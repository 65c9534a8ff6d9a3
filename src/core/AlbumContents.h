#pragma once

#include "core/AlbumFiles.h"

#include <QStringList>

namespace tavimo {

class Tpackedjpg;
struct AlbumPaths;

// An album as it is opened: entries, thumbnails, bookmarks and counts, index for index.
struct AlbumContents {
    QStringList entries;
    AlbumMarks marks;
    // Companion files that could not be read whole (the store, marks or counts).
    QStringList damaged;
};

// Reads an album's companions for its entries: the thumbnail store fitted to the entries (a
// missing store gives empty thumbnails), bookmarks and counts padded with zeros. Blank entries
// are then dropped together with their thumbnail, bookmark and count. What the user is to be
// told is marks.problems.
AlbumContents openAlbumContents(const AlbumPaths& paths, const QStringList& entries,
                                Tpackedjpg& store);

} // namespace tavimo
