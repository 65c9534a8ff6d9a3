#pragma once

#include "core/BookFile.h"
#include "core/BookMode.h"
#include "core/search/SearchIndex.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// Reading the library for the search index, on a worker thread. Nothing is ever written, and
// no reader's memory of what it read is touched: the files are decoded as the library's
// readers decode them, straight from their bytes. A file that cannot be read is skipped and
// counted.
namespace tavimo::libraryscan {

// Bigger files than any library makes are taken for damaged rather than read into memory.
inline constexpr qint64 kMaxBookFileBytes = 64 << 20;
inline constexpr qint64 kMaxAlbumFileBytes = 256 << 20;

struct PlannedBook {
    QString title;
    BookMode mode = BookMode::Normal;
    QList<bookfile::Line> lines;
};

struct Plan {
    std::vector<PlannedBook> books; // in the book list's order
    int albumCount = 0;             // lines of every book file
    int unreadable = 0;             // book files that could not be read
};

// The bytes of a regular file of at most limit bytes; nothing when it is something else, is
// bigger or cannot be read.
std::optional<QByteArray> readStoredFile(const QString& path, qint64 limit);

// Reads every book file of the library folder (ending in '/'). mediaBooks: the titles of
// media.inf. A book whose title the program would refuse to open is counted as unreadable.
Plan plan(const QString& libraryFolder, const QStringList& mediaBooks);

// Reads a planned book's albums as loading the book finds them: a line naming no album file
// (or a file outside the book folder) is left out, an album file that cannot be read stays in
// its place without videos and is counted in unreadable. Media books take their albums' media
// from media.dat, as far as it can be read. albumDone is called after every line; when it
// answers false the reading stops and what was read so far is answered.
SearchBook readBook(const QString& libraryFolder, const PlannedBook& book, int& unreadable,
                    const std::function<bool()>& albumDone);

} // namespace tavimo::libraryscan
