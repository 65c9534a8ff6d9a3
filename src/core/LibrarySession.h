#pragma once

#include "core/Album.h"
#include "core/Book.h"
#include "core/BookMode.h"
#include "core/DriveProbe.h"
#include "core/SaveWriter.h"

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace tavimo {

class DialogService;
class SaveUnit;
class VolumeTable;

// The library as it is open now: the current book with its albums, the mode, and the album
// open in the album window. Windows and commands use it by reference and change the book and
// the album only through it (or through the Book and Album it owns, whose changes it hears).
// Each fact is kept once: the mode is the book's, an open album's name, files and medium are
// its row of the book, and its entries are the album's own while it is open.
//
// Saving: a change marks what it touches; shortly after the change the session describes it as
// one unit (see SaveUnit) from the rows as they are then, and hands it to the writer thread
// (SaveWriter), so the window never waits for the disk. Changes that keep coming are written
// together, but never later than about 500 ms after the first of them. Pictures that a
// thumbnail run made, which can be made again, wait longer: a store is rewritten whole, so it is
// written when the new pictures come to a good part of it, after a time that grows with its
// size, when the run ends, and whenever flush() is called: before the album window closes, the
// book or the mode changes, and at exit; flush() waits for the writer. A failed save stays
// pending and is tried again; leaving the book while it fails asks the user first. An album that
// could not be read is never written.
class LibrarySession : public QObject {
    Q_OBJECT
public:
    LibrarySession(const QString& libraryFolder, DialogService& dialogs,
                   const VolumeTable& volumes);
    ~LibrarySession() override;

    const QString& libraryFolder() const { return libraryFolder_; }
    DialogService& dialogs() { return dialogs_; }
    const DriveProbe& probe() const { return probe_; }

    // The mode of the current book, and of the book list shown.
    BookMode mode() const { return book_.mode(); }
    bool isMediaMode() const { return mode() == BookMode::Media; }

    // The current book.
    Book& book() { return book_; }
    const Book& book() const { return book_; }
    bool bookOpen() const { return book_.isOpen(); }
    const BookPaths& bookPaths() const { return book_.paths(); }

    // Replacing the book. Each first saves what is pending; when that fails, the user is asked
    // whether to go on without it, and when the answer is no nothing changes.
    // Loads `title` in the current mode. Kept: the user chose to stay.
    Book::LoadResult loadBook(const QString& title);
    // Makes `title` a new, empty book of the current mode and writes its files; mediaBooks, when
    // given, is written to media.inf in the same save. Loaded, Kept, or FolderFailed when its
    // folders could not be made (reported; the program must end).
    Book::LoadResult createBook(const QString& title,
                                const std::optional<QStringList>& mediaBooks = std::nullopt);
    // Closes the book (and its album). False when the user chose to stay.
    bool closeBook();
    // Closes the book and changes the mode. False when the user chose to stay.
    bool switchMode(BookMode mode);

    // The open album.
    Album& album() { return album_; }
    const Album& album() const { return album_; }
    bool albumOpen() const { return albumIndex_ >= 0; }
    // The open album's place in the book, -1 for none.
    int albumIndex() const { return albumIndex_; }
    // The open album's file could not be read: it is shown but never saved.
    bool albumReadOnly() const { return albumReadOnly_; }
    // Opens album `index` of the book: its entries, store, bookmarks and counts, and in media
    // books its medium. False for an index outside the book or while another album is open.
    bool openAlbum(int index);
    // Saves what is pending and closes the open album.
    void closeAlbum();
    // The entries of album `index` of the book, wherever they are held now.
    QStringList entriesOf(int index) const;
    // The open album's medium was found, chosen or forgotten: the book records it at once, so
    // a crash does not tie the album to no medium again.
    void recordMedium(const MediumRecord& record, const QString& root);
    // The open album's picture in the book ("この画像をアルバム画像に設定").
    void setAlbumPicture(const QByteArray& jpeg);

    // The open album's files differ from its rows (fitted on opening): they are due.
    void markAlbumChanged();

    // Writes everything pending now, with whatever `also` adds to the same unit (the files a
    // change of the book renames, deletes or makes), and waits until it is on the disk. True
    // when nothing is pending afterwards; a failure is shown (once while it stays the same,
    // unless report is false) and the save is tried again later.
    bool flush(const std::function<bool(SaveUnit&)>& also = {}, bool report = true);
    // Hands everything pending to the writer now, without waiting for it: what the user asked
    // to keep (a bookmark), or the pictures at the end of a thumbnail run.
    void saveSoon();
    // Writes the book's files now, changed or not, with everything pending ("上書き保存").
    bool saveBook();
    bool hasPendingSaves() const;
    // The failure of the last save (ok after a save that succeeded), and its message.
    const WriteResult& lastFailure() const { return lastFailure_; }
    const QString& saveFailure() const { return saveFailure_; }
    // How long after the last change the pending files are written (250 ms by default); and at
    // the latest after the first pending change (500 ms by default).
    void setSaveDelay(int milliseconds);

Q_SIGNALS:
    // The book was loaded, created or closed.
    void bookReplaced();
    // A save was written (after any change).
    void saved();

private:
    // What one unit handed to the writer carries, to be due again when it fails.
    struct Carried {
        bool albumRows = false;
        bool albumEntries = false;
        bool albumMarks = false;
        bool albumPictures = false;
        bool book = false;
        Book::SaveState bookState;
        QStringList albumDamaged;
        bool report = true; // its failure is told
    };

    void albumRowsChanged();
    void picturesMade(qsizetype bytes);
    void scheduleSave();
    // Describes what is pending as one unit and hands it to the writer. False when nothing was
    // handed over because describing it failed (told like a failed save).
    bool submitPending(bool withPictures, const std::function<bool(SaveUnit&)>& also, bool report);
    void unitWritten(const SaveWriter::Result& result);
    void tellFailure(const WriteResult& failure, bool report);
    void pictureWriteDue();
    // Saving pending work before the book goes; asks the user when it fails. True: go on.
    bool leaveBook();
    void discardPending();
    // An empty media album belongs to no medium; its drive root stays, so the next files must
    // still come from the medium in that drive.
    void applyEmptyMediumRule();
    // Adds the open album's due files to unit; false when it failed or a damaged file could not
    // be kept beside.
    bool stageAlbum(SaveUnit& unit, bool withPictures);

    QString libraryFolder_;
    DialogService& dialogs_;
    DriveProbe probe_;
    Book book_;
    Album album_;
    int albumIndex_ = -1;
    bool albumReadOnly_ = false;
    QStringList albumDamaged_;        // its files that could not be read whole, not yet kept
    bool albumRowsDirty_ = false;     // every file of the album, the store with the rows
    bool albumEntriesDirty_ = false;  // rows added at the end: all but the store
    bool albumMarksDirty_ = false;    // bookmarks and play counts
    bool albumPicturesDirty_ = false; // pictures a run made: the store, in its own time
    bool bookDirty_ = false;
    qsizetype picturesPending_ = 0; // bytes of the pictures made since the store was written
    qsizetype storeWritten_ = 0;    // bytes of the album's store as last handed over
    std::deque<Carried> inFlight_;  // units handed to the writer, oldest first
    WriteResult lastFailure_;
    QString saveFailure_;
    QString reportedFailure_; // shown already: not shown again while it stays the same
    QTimer saveTimer_;        // restarted by every change
    QTimer deadlineTimer_;    // started by the first pending change, only ever brought forward
    int deadlineDelay_ = 0;
    QTimer retryTimer_;   // after a failed save
    QTimer pictureTimer_; // pictures made by a run wait at most this long
    std::unique_ptr<SaveWriter> writer_;
};

} // namespace tavimo
