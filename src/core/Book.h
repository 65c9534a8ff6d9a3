#pragma once

#include "core/BookMode.h"
#include "core/BookPaths.h"
#include "core/DriveProbe.h"
#include "core/MediaRegistry.h"
#include "core/Tpackedjpg.h"

#include <QImage>
#include <QList>
#include <QStringList>

namespace tavimo {

class AlbumCells;
class DialogService;

// One album as the book holds it in memory.
struct BookAlbum {
    QString name;        // also the stem of the album's files
    QStringList entries; // the lines of its album file
    bool folderSync = false;
};

// The open book: its albums with, at the same index, the album's cell, its picture in the
// book picture store and its media record. Every change goes through this class, which applies
// it to all of them at once, so no operation can leave one sequence out of step. (The registry
// runs in step in normal books too, where it stays empty records and is never saved.)
class Book {
public:
    // cells may be null (no window, as in tests of the data alone); it must outlive the book.
    explicit Book(AlbumCells* cells = nullptr) : cells_(cells) {}
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    // How a load ended.
    enum class LoadResult {
        Loaded,       // the albums are shown and the book saved
        NoTitle,      // nothing to load
        FoldersMade,  // the book folder was missing: made anew, book file left as it was
        Unreadable,   // the book file could not be read, or the title cannot name a file in
                      // the library folder: reported, nothing shown or saved
        FolderFailed, // a folder could not be made: reported; the program must end
    };

    // Clears the book and loads `title` of the library folder (ending in '/') in `mode`.
    LoadResult load(const QString& libraryFolder, const QString& title, BookMode mode,
                    DialogService& dialogs);

    // Makes `title` the open book as a new, empty book and writes its empty files (the book
    // file, media.dat in media mode, and the picture store). False when a folder could not be
    // made (reported; the program must end).
    bool openNew(const QString& libraryFolder, const QString& title, BookMode mode,
                 DialogService& dialogs);

    // Writes the book file, and in media mode media.dat. A failed write is shown; false then.
    bool save(DialogService& dialogs) const;
    // Writes the book picture store; a failed write is shown.
    bool savePictures(DialogService& dialogs);
    // "上書き保存": the book and its pictures, only when it has albums.
    void saveCommand(DialogService& dialogs);

    // Forgets the open book (no title) and clears every sequence and the cells.
    void close();

    bool isOpen() const { return !paths_.title.isEmpty(); }
    const BookPaths& paths() const { return paths_; }
    BookMode mode() const { return mode_; }
    int count() const { return int(albums_.size()); }
    bool isValidIndex(int i) const { return i >= 0 && i < count(); }
    const QList<BookAlbum>& albums() const { return albums_; }
    const BookAlbum& album(int i) const { return albums_.at(i); }
    AlbumPaths albumPaths(int i) const { return AlbumPaths::of(paths_, albums_.at(i).name); }
    const Tpackedjpg& pictures() const { return pictures_; }
    const MediaRegistry& registry() const { return registry_; }
    bool picturesChanged() const { return picturesChanged_; }

    // Changes. Invalid indexes do nothing. None of them writes a file.
    // Appends an album; a null picture gives the placeholder.
    void appendAlbum(const BookAlbum& album, const QImage& picture = {},
                     const MediumRecord& record = {});
    void removeAlbum(int i);
    void exchangeAlbums(int i, int j);
    // Moves album `from` to index `to`; the albums between shift by one.
    void moveAlbum(int from, int to);
    // Puts the albums in the order given: order[k] is the old index of the album that goes to
    // index k. Ignored unless order is a permutation of 0..count-1.
    void reorder(const QList<int>& order);
    void renameAlbum(int i, const QString& name);
    void setEntries(int i, const QStringList& entries);
    void setFolderSync(int i, bool folderSync);
    // The album's picture; a null bitmap gives the placeholder.
    void setPicture(int i, const QImage& picture);
    // The album's picture as JPEG bytes, kept as they are (an unreadable one gives the
    // placeholder).
    void setPictureJpeg(int i, const QByteArray& jpeg);
    void setRecord(int i, const MediumRecord& record);

    // Opening album i of a media book whose entries (blank ones removed) are lines: where its
    // medium is mounted now. An unidentified medium is identified by the first entry and
    // remembered in the registry.
    CurrentMedium findMedium(int i, const QStringList& lines, const DriveProbe& probe);

private:
    void clearAlbums();
    // Reports a folder that cannot be made; false then.
    static bool makeFolder(const QString& path, DialogService& dialogs);
    // The JPEG of entry i, mending an empty or unreadable entry with the placeholder.
    QByteArray pictureOrPlaceholder(int i);
    void showPicture(int i);

    AlbumCells* cells_;
    BookPaths paths_;
    BookMode mode_ = BookMode::Normal;
    QList<BookAlbum> albums_;
    Tpackedjpg pictures_;
    MediaRegistry registry_;
    bool picturesChanged_ = false;
};

// The placeholder album picture as the store keeps it (encoded once).
const QByteArray& placeholderJpeg();

} // namespace tavimo
