#pragma once

#include "core/BookMode.h"
#include "core/MediumRecord.h"
#include "core/VolumeTable.h"
#include "core/search/SearchAlbum.h"

#include <QList>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace tavimo {

class SearchQuery;

// One book of the index, its albums in the book's order.
struct SearchBook {
    QString title;
    BookMode mode = BookMode::Normal;
    std::vector<SearchAlbum> albums;
};

// A result: an album cell (entry -1) or a video of an album. Indexes are those of the index
// when find answered; any change makes them stale (find again).
struct SearchHit {
    int book = 0;
    int album = 0;
    int entry = -1;

    bool isAlbum() const { return entry < 0; }
    bool operator==(const SearchHit&) const = default;
};

// What find answers: album cells first, then videos; within each, the names that start with
// the text before the rest, each part in the book list's order and the albums' order.
struct SearchResults {
    std::vector<SearchHit> hits;
    int albumCount = 0; // the first albumCount hits are album cells
};

// What the search window shows and opens for one result.
struct SearchHitDetails {
    QString book;
    BookMode mode = BookMode::Normal;
    QString album;
    int albumIndex = 0; // the album's row in its book
    QString name;       // the video's file name as written, or the album's name
    QString folder;     // the folder part of the video's line as written; empty for an album
    QString entry;      // the video's line in its album file; empty for an album
    int videoRow = -1;  // the video's row once its album is open; -1 for an album
    // Where the cell's picture is: the album's store and the video's line, or the book's
    // store and the album's place in it. Empty when there is none to read (an album named
    // like its book has no store of its own).
    QString pictureStore;
    int pictureIndex = 0;
    // Media books: the album's medium, and whether a mounted volume has its serial.
    bool onMedium = false;
    MediumRecord medium;
    bool mounted = false;
};

// The names of every album of every book of both modes, matched in memory. Changed only by
// plain calls (a book read from its files, or the session's rows after a change) and never
// reading or writing a file itself.
class SearchIndex {
public:
    explicit SearchIndex(QString libraryFolder = {});

    const QString& libraryFolder() const { return libraryFolder_; }
    const std::vector<SearchBook>& books() const { return books_; }
    int bookIndex(const QString& title) const;
    qsizetype videoCount() const;
    size_t memoryBytes() const;

    // Puts the book in its place in the book list's order, replacing one of that title. Its
    // albums' picture indexes are kept as given.
    void putBook(SearchBook book);

    // The session's changes. A book the session loaded, made or changed as a whole: its rows
    // in order; albums whose name and lines did not change keep their folded names. False
    // when the index holds the book as given already.
    // `folded` holds albums folded beforehand (elsewhere), by their place in `albums`.
    bool setBook(const QString& title, BookMode mode, const QList<SearchAlbumSource>& albums,
                 std::map<int, SearchAlbum> folded = {});
    // The places in `albums` whose names setBook would fold anew: new albums, or albums whose
    // lines changed.
    QList<int> albumsToFold(const QString& title, BookMode mode,
                            const QList<SearchAlbumSource>& albums) const;
    void removeBook(const QString& title);
    // Changes to albums of a book given before, by row as the session numbers them. A call
    // for a book or row the index does not hold does nothing.
    void insertAlbum(const QString& title, int row, const SearchAlbumSource& album);
    void removeAlbum(const QString& title, int row);
    void moveAlbum(const QString& title, int from, int to);
    // The album's name, lines or medium changed (renamed, videos added, deleted, moved,
    // imported, its medium found).
    void setAlbum(const QString& title, int row, const SearchAlbumSource& album);

    SearchResults find(const SearchQuery& query) const;
    // Nothing for a hit that is stale. volumes: the mounted volumes now.
    std::optional<SearchHitDetails> details(const SearchHit& hit,
                                            const QList<VolumeInfo>& volumes) const;

private:
    SearchBook* book(const QString& title);
    const SearchBook* book(const QString& title) const;
    // After a change made by rows, pictures are where the session saves them: at the rows.
    static void numberPictures(SearchBook& book);

    QString libraryFolder_;
    std::vector<SearchBook> books_;
};

} // namespace tavimo
