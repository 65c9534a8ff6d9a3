#pragma once

#include "core/AtomicFile.h"
#include "core/Problem.h"

#include <QList>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tavimo {

struct AlbumPaths;

// The album file: one video entry per line (a full path in normal books, a path below the
// medium's mount point in media books). An empty album is a 0-byte file.
namespace albumfile {
// std::nullopt when the file is missing or cannot be read.
std::optional<QStringList> read(const QString& path);
WriteResult write(const QString& path, const QStringList& entries);
} // namespace albumfile

// Bookmarks (100 ns positions, 0 = none) and play counts of an album's videos, kept in the
// marks and counts files, line n belonging to line n of the album file.
struct AlbumMarks {
    QList<int64_t> bookmarks;
    QList<int32_t> counts;
    // The files load could not read whole (unreadable, or a line that is not an integer):
    // they are kept as they are until they must be written, and then first kept beside.
    QStringList damaged;
    // What the user is told of the load: the first line that is not an integer, if any.
    QList<Problem> problems;

    // Loads both files for an album of n videos. A missing file gives zeros; a short one is
    // padded with zeros; a longer one is kept (the next save drops the surplus). A line that is
    // not a decimal integer reads as 0, and one problem per load names the first such line.
    static AlbumMarks load(const AlbumPaths& paths, int n);

    // The values of a marks or counts file's lines as load reads them; firstBadLine, when
    // given and still 0, receives the 1-based number of the first line that is not an integer
    // of the type.
    static QList<int64_t> parseBookmarks(const QStringList& lines, int n, int* firstBadLine);
    static QList<int32_t> parseCounts(const QStringList& lines, int n, int* firstBadLine);
    // The lines save writes: exactly n, missing values as 0.
    QStringList bookmarkLines(int n) const;
    QStringList countLines(int n) const;
};

} // namespace tavimo
