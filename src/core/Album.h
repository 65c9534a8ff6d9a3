#pragma once

#include "core/AlbumFiles.h"
#include "core/BookMode.h"
#include "core/BookPaths.h"
#include "core/MediumRecord.h"
#include "core/Tpackedjpg.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace tavimo {

class DialogService;

// Where the open album shows its videos: the album window's grid. The album drives it so that
// the cells always stand in the order of the videos. Pictures are handed over as JPEG bytes
// (shared, not copied; empty for a video without a picture), decoded only for cells drawn.
class VideoCells {
public:
    virtual ~VideoCells() = default;

    virtual void clearCells() = 0;
    virtual void appendCell(const QString& title, const QByteArray& jpeg, int64_t bookmark,
                            int32_t count) = 0;
    virtual void removeCell(int index) = 0;
    virtual void exchangeCells(int i, int j) = 0;
    virtual void setCellPicture(int index, const QByteArray& jpeg) = 0;
    virtual void setCellMarks(int index, int64_t bookmark, int32_t count) = 0;
};

// The open album, shared by the album window, the player and the book window: its videos with,
// at the same index, the video's bookmark, its play count, its thumbnail in the album store and
// its cell. Every change goes through this class, which applies it to all of them at once, so
// no operation can leave one sequence out of step. Nothing here writes a file except the save
// operations.
class Album {
public:
    // cells may be null (no window, as in tests of the data alone); it must outlive the album.
    explicit Album(VideoCells* cells = nullptr) : cells_(cells) {}
    Album(const Album&) = delete;
    Album& operator=(const Album&) = delete;

    // Attaches the cells (null detaches them) and rebuilds them from the album. Long batches of
    // removals can run detached and rebuild once.
    void setCells(VideoCells* cells);

    // Which album of which book is open. bookIndex is its place in the book (for writing the
    // entries back to the book's copy, and for its media record).
    void setIdentity(const BookPaths& book, const QString& name, int bookIndex, BookMode mode);
    const QString& name() const { return name_; }
    const AlbumPaths& paths() const { return paths_; }
    const BookPaths& bookPaths() const { return book_; }
    int bookIndex() const { return bookIndex_; }
    BookMode mode() const { return mode_; }
    bool isMediaMode() const { return mode_ == BookMode::Media; }

    // Media books: the album's medium and where it is mounted now (empty root when absent).
    void setMedium(const MediumRecord& record, const QString& root);
    const MediumRecord& medium() const { return medium_; }
    const QString& driveRoot() const { return driveRoot_; }
    // Media books whose medium is not mounted: entries cannot be checked or opened.
    bool rootUnknown() const { return isMediaMode() && driveRoot_.isEmpty(); }

    // The videos.
    int count() const { return int(entries_.size()); }
    int lastIndex() const { return count() - 1; }
    bool isValidIndex(int i) const { return i >= 0 && i < count(); }
    const QStringList& entries() const { return entries_; }
    QString entry(int i) const { return isValidIndex(i) ? entries_.at(i) : QString(); }
    int64_t bookmark(int i) const { return isValidIndex(i) ? marks_.bookmarks.at(i) : 0; }
    int32_t playCount(int i) const { return isValidIndex(i) ? marks_.counts.at(i) : 0; }
    const Tpackedjpg& store() const { return store_; }
    // Where video i lies now: the entry, or in media books the drive root followed by it.
    QString fullPath(int i) const;
    // What the album file holds for a file at fullPath: the path itself, or in media books
    // the path below the drive root.
    QString entryFor(const QString& fullPath) const;
    // True when a video of the album is fullPath (compared without regard to letter case).
    bool containsFile(const QString& fullPath) const;
    // True when video i has no usable picture: an empty or blank store entry, or bytes that
    // are not a JPEG.
    bool needsThumbnail(int i) const;
    // The JPEG bytes of video i's picture; empty when it has none.
    QByteArray pictureBytes(int i) const;

    // The whole album at once: bookmarks, counts and store are fitted to the entries (missing
    // values 0, missing pictures empty, surplus dropped) and the cells are rebuilt.
    void assign(const QStringList& entries, const AlbumMarks& marks, Tpackedjpg store);
    // True when assign had to fit the marks, counts or store to the entries, or when the opener
    // says it dropped something: the files then differ from the album and are saved at show.
    bool fittedOnAssign() const { return fitted_; }
    void setFittedOnAssign(bool fitted) { fitted_ = fitted; }
    // No videos, no identity; the cells are cleared.
    void clear();

    // Changes. Invalid indexes do nothing. None of them writes a file.
    // Appends a video with its picture (JPEG bytes; empty for none).
    void append(const QString& entry, const QByteArray& jpeg, int64_t bookmark = 0,
                int32_t count = 0);
    void remove(int i);
    // Removes the videos at the given indexes (any order, duplicates ignored).
    void removeAll(QList<int> indexes);
    void exchange(int i, int j);
    // Moves video `from` to index `to` by exchanges with its neighbours; the videos between
    // keep their order.
    void move(int from, int to);
    // Puts the videos in the order given: order[k] is the old index of the video that goes to
    // index k. Ignored unless order is a permutation of 0..count-1.
    void reorder(const QList<int>& order);
    // Picture of video i from JPEG bytes (empty bytes leave it empty).
    void setPicture(int i, const QByteArray& jpeg);
    // Picture of video i from a bitmap, stored as JPEG of quality 90. False when encoding fails.
    bool setBitmap(int i, const QImage& bitmap);
    void setBookmark(int i, int64_t position);
    void setPlayCount(int i, int32_t count);

    // Files. A failed write is shown through dialogs and leaves that file as it was.
    // The album store, then the album file; the entries go to the book's copy first.
    bool saveAlbum(DialogService& dialogs);
    bool saveStore(DialogService& dialogs) const;
    // The marks and counts files, exactly one line per video.
    bool saveMarks(DialogService& dialogs) const;
    // Told the entries each time the album file is saved (the book keeps its own copy).
    void setEntriesSaved(std::function<void(const QStringList&)> entriesSaved) {
        entriesSaved_ = std::move(entriesSaved);
    }

private:
    void appendCell(int i);

    VideoCells* cells_;
    BookPaths book_;
    AlbumPaths paths_;
    QString name_;
    int bookIndex_ = -1;
    BookMode mode_ = BookMode::Normal;
    MediumRecord medium_;
    QString driveRoot_;
    QStringList entries_;
    AlbumMarks marks_;
    Tpackedjpg store_;
    std::function<void(const QStringList&)> entriesSaved_;
    bool fitted_ = false;
};

// The file-name part of a path (the text after the last '/').
QString fileNamePart(const QString& path);

} // namespace tavimo
