#pragma once

#include "core/BookMode.h"
#include "core/BookPaths.h"
#include "core/CellPicture.h"
#include "core/DriveProbe.h"
#include "core/MediumRecord.h"
#include "core/Problem.h"
#include "core/RowModel.h"

#include <QImage>
#include <QList>
#include <QStringList>
#include <memory>

namespace tavimo {

class MediaRegistry;
class SaveUnit;
class Tpackedjpg;

// One album as the book holds it: its name (the stem of its files), the lines of its album
// file, its folder-sync mark, its picture in the book's picture store and, in media books, its
// medium. They move together, so no change can leave one of them behind.
struct BookAlbum {
    QString name;
    QStringList entries;
    bool folderSync = false;
    QByteArray jpeg; // the picture as stored; may point into the loaded store
    CellPicture picture;
    MediumRecord record;
    bool readable = true; // false: its album file could not be read, so it is never written
};

// The open book, one row per album. Every change goes through this class and is announced as a
// model change, so the grid drawing it and the session saving it follow on their own. Moves
// and sorts are RowModel's (step, moveRowBlock, reorder).
class Book : public RowModel<BookAlbum> {
    Q_OBJECT
public:
    Book();
    ~Book() override;

    // How a load ended.
    enum class LoadResult {
        Loaded,       // the albums are shown; what load fitted is due for saving
        NoTitle,      // nothing to load
        FoldersMade,  // the book folder was missing: made anew, book file left as it was
        Unreadable,   // the book file could not be read, or the title cannot name a file in
                      // the library folder: reported; no book is open, nothing is saved
        FolderFailed, // a folder could not be made: reported; the program must end
        Kept,         // the book open before could not be saved and the user chose to stay
    };

    // Clears the book and loads `title` of the library folder (ending in '/') in `mode`.
    // What the user is to be told (a refused title, an unreadable file, a folder that could
    // not be made) is added to problems.
    LoadResult load(const QString& libraryFolder, const QString& title, BookMode mode,
                    QList<Problem>& problems);

    // Makes `title` the open book as a new, empty book whose files (the book file, media.dat
    // in media mode, and the picture store) are due for saving. False when a folder could not
    // be made (reported; the program must end).
    bool openNew(const QString& libraryFolder, const QString& title, BookMode mode,
                 QList<Problem>& problems);

    // Adds the book's files to a save: the book file, in media books media.dat, and the picture
    // store when its pictures changed. A file that could not be read when the book loaded is
    // first copied beside itself (".damaged"). False when anything failed (the unit says why).
    bool stageTo(SaveUnit& unit);
    // The save that stageTo joined holds the book's files now: they are no longer due.
    void markSaved();
    // What is due of the book's files, so that a save that failed can make it due again.
    struct SaveState {
        bool picturesChanged = false;
        bool picturesDamaged = false;
        bool registryChanged = false;
        bool registryDamaged = false;
    };
    SaveState saveState() const;
    // What was due before the failed save is due again, with whatever changed since.
    void restoreSaveState(const SaveState& state);

    // Forgets the open book (no title) and clears every row. The mode stays.
    void close();
    // The mode of the books listed while none is open; an open book keeps its own.
    void setMode(BookMode mode) {
        if (!isOpen())
            mode_ = mode;
    }

    bool isOpen() const { return !paths_.title.isEmpty(); }
    const BookPaths& paths() const { return paths_; }
    BookMode mode() const { return mode_; }
    const QList<BookAlbum>& albums() const { return rows_; }
    const BookAlbum& album(int i) const { return rows_.at(i); }
    AlbumPaths albumPaths(int i) const { return AlbumPaths::of(paths_, rows_.at(i).name); }
    // The album named so (exact comparison), -1 for none.
    int indexOfAlbum(const QString& name) const;
    MediumRecord record(int i) const {
        return isValidIndex(i) ? rows_.at(i).record : MediumRecord{};
    }
    // The pictures as one store and the media records as one registry, in album order.
    Tpackedjpg pictures() const;
    MediaRegistry registry() const;
    // True when the picture store differs from the file: saved with the book.
    bool picturesChanged() const { return picturesChanged_; }

    // Changes. Invalid indexes do nothing. None of them writes a file.
    // Appends an album; a null picture gives the placeholder.
    void appendAlbum(const BookAlbum& album, const QImage& picture = {});
    void removeAlbum(int i);
    // Puts a row back at i as it was (an album whose deletion could not be saved).
    void insertAlbum(int i, const BookAlbum& album);
    void renameAlbum(int i, const QString& name);
    // The album's entries, while the album is not open (an open album holds them itself).
    void setEntries(int i, const QStringList& entries);
    QStringList takeEntries(int i);
    void setFolderSync(int i, bool folderSync);
    // The album's picture; a null bitmap gives the placeholder.
    void setPicture(int i, const QImage& picture);
    // The album's picture as JPEG bytes, kept as they are (an unreadable one gives the
    // placeholder).
    void setPictureJpeg(int i, const QByteArray& jpeg);
    void setRecord(int i, const MediumRecord& record);

    // Opening album i of a media book whose entries (blank ones removed) are lines: where its
    // medium is mounted now. An unidentified medium is identified by the first entry and
    // remembered in the album's record.
    CurrentMedium findMedium(int i, const QStringList& lines, const DriveProbe& probe);

    // QAbstractListModel.
    QVariant data(const QModelIndex& index, int role) const override;

Q_SIGNALS:
    // Something that the book file, media.dat or the picture store hold changed.
    void bookChanged();

private:
    void rowsRearranged() override;
    void clearAlbums();
    // A folder that cannot be made is added to problems; false then.
    static bool makeFolder(const QString& path, QList<Problem>& problems);
    void setJpeg(int i, const QByteArray& jpeg);

    BookPaths paths_;
    BookMode mode_ = BookMode::Normal;
    // The loaded picture store whose mapped file the rows' bytes may point into.
    std::shared_ptr<const Tpackedjpg> loaded_;
    bool picturesChanged_ = false;
    // The picture store could not be read: it is kept beside before it is written over.
    bool picturesDamaged_ = false;
    // media.dat could not be read whole: it stays as it is until a record changes, and is
    // then kept beside the new one.
    bool registryDamaged_ = false;
    bool registryChanged_ = false;
};

// The placeholder album picture as the store keeps it (encoded once).
const QByteArray& placeholderJpeg();

} // namespace tavimo
