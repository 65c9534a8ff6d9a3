#pragma once

#include "core/AlbumFiles.h"
#include "core/BookMode.h"
#include "core/BookPaths.h"
#include "core/CellPicture.h"
#include "core/MediumRecord.h"
#include "core/RowModel.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace tavimo {

class Book;
class Tpackedjpg;

// One video of the open album: its line of the album file, its thumbnail, its bookmark and its
// play count. They move together, so no change can leave one of them behind.
struct VideoRow {
    quint64 id = 0;      // stable for the album's time open: thumbnail results find their row by it
    QString entry;       // the album file's line
    QByteArray jpeg;     // the thumbnail as stored (empty: none); may point into the loaded store
    CellPicture picture; // the same bytes as the grid draws them
    int64_t bookmark = 0;
    int32_t count = 0;
};

// The open album, one row per video. Every change goes through this class and is announced as
// a model change, so the grid drawing it and the session saving it follow on their own. Nothing
// here writes a file except the save operations. Moves and sorts are RowModel's (step,
// moveRowBlock, reorder).
class Album : public RowModel<VideoRow> {
    Q_OBJECT
public:
    Album();
    ~Album() override;

    // Which album of which book is open: album `index` of `book`. Its name, files, mode and
    // medium are the book's (which keeps that row in place while the album is open).
    void setIdentity(const Book& book, int index);
    const QString& name() const;
    AlbumPaths paths() const;
    const BookPaths& bookPaths() const;
    BookMode mode() const;
    bool isMediaMode() const { return mode() == BookMode::Media; }
    bool isOpen() const { return book_ != nullptr; }

    // Media books: the album's medium (the book's record) and where it is mounted now (empty
    // root when absent).
    MediumRecord medium() const;
    void setDriveRoot(const QString& root) { driveRoot_ = root; }
    const QString& driveRoot() const { return driveRoot_; }
    // Media books whose medium is not mounted: entries cannot be checked or opened.
    bool rootUnknown() const { return isMediaMode() && driveRoot_.isEmpty(); }

    // The videos.
    QStringList entries() const;
    QString entry(int i) const { return isValidIndex(i) ? rows_.at(i).entry : QString(); }
    int64_t bookmark(int i) const { return isValidIndex(i) ? rows_.at(i).bookmark : 0; }
    int32_t playCount(int i) const { return isValidIndex(i) ? rows_.at(i).count : 0; }
    quint64 rowId(int i) const { return isValidIndex(i) ? rows_.at(i).id : 0; }
    // Where the row with this id stands now, -1 when it is gone. hint: where it stood before.
    int indexOf(quint64 id, int hint = -1) const;
    // Where video i lies now (entryFile): the entry, or in media books the drive root followed
    // by it.
    QString fullPath(int i) const;
    // The file name of video i, as its cell shows it and the name sort orders it.
    QString fileName(int i) const;
    // What the album file holds for a file at fullPath: the path itself, or in media books
    // the path below the drive root.
    QString entryFor(const QString& fullPath) const;
    // True when video i names a file of this system: not a path written on Windows
    // ("C:\\..."), nor a media entry whose medium is not mounted.
    bool isLocalFile(int i) const;
    // True when a video of the album is fullPath (compared without regard to letter case).
    bool containsFile(const QString& fullPath) const;
    // True when video i has no usable picture: an empty or blank entry, or bytes that are not
    // a JPEG.
    bool needsThumbnail(int i) const;
    // The JPEG bytes of video i's picture; empty when it has none.
    QByteArray pictureBytes(int i) const;

    // The whole album at once: bookmarks, counts and store are fitted to the entries (missing
    // values 0, missing pictures empty, surplus dropped). The store's file stays mapped while
    // rows refer into it.
    void assign(const QStringList& entries, const AlbumMarks& marks, Tpackedjpg store);
    // True when assign had to fit the marks, counts or store to the entries, or when the opener
    // says it dropped something: the files then differ from the album and are saved at show.
    bool fittedOnAssign() const { return fitted_; }
    void setFittedOnAssign(bool fitted) { fitted_ = fitted; }
    // No videos, no identity.
    void clear();

    // Changes. Invalid indexes do nothing. None of them writes a file.
    void append(const QString& entry, const QByteArray& jpeg, int64_t bookmark = 0,
                int32_t count = 0);
    void remove(int i);
    // Removes the videos at the given indexes (any order, duplicates ignored).
    void removeAll(QList<int> indexes);
    // Picture of video i from JPEG bytes (empty bytes leave it without one).
    void setPicture(int i, const QByteArray& jpeg);
    // The same for videos and pictures that a thumbnail run made: a picture that can be made
    // again may reach the disk later than the row it belongs to.
    void appendMade(const QString& entry, const QByteArray& jpeg);
    void setMadePicture(int i, const QByteArray& jpeg);
    // Picture of video i from a bitmap, stored as JPEG of quality 90. False when encoding fails.
    bool setBitmap(int i, const QImage& bitmap);
    void setBookmark(int i, int64_t position);
    void setPlayCount(int i, int32_t count);

    // The thumbnails as one store, in row order (the bytes are shared, not copied).
    Tpackedjpg store() const;

    // QAbstractListModel.
    QVariant data(const QModelIndex& index, int role) const override;

Q_SIGNALS:
    // Rows were added, removed, moved or given other pictures: all of the album's files are
    // due. (Model signals tell the grid; this one tells whoever saves.)
    void rowsChanged();
    // Only bookmarks or play counts changed: the marks and counts files are due.
    void marksChanged();
    // Videos were added at the end with pictures a run made (bytes in all): the album file,
    // marks and counts are due, and the store with the pictures.
    void madeRowsAppended(qsizetype bytes);
    // A run made pictures for videos of the album: the store is due.
    void picturesMade(qsizetype bytes);

private:
    void rowsRearranged() override { Q_EMIT rowsChanged(); }
    bool assignPicture(int i, const QByteArray& jpeg);
    VideoRow makeRow(const QString& entry, const QByteArray& jpeg, int64_t bookmark, int32_t count);

    const Book* book_ = nullptr;
    int index_ = -1;
    QString driveRoot_;
    // The loaded store whose mapped file the rows' bytes may point into.
    std::shared_ptr<const Tpackedjpg> loaded_;
    quint64 nextId_ = 1;
    bool fitted_ = false;
};

// The file-name part of a path (the text after the last '/').
QString fileNamePart(const QString& path);

} // namespace tavimo
