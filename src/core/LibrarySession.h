#pragma once

#include "core/Album.h"
#include "core/Book.h"
#include "core/BookMode.h"
#include "core/DriveProbe.h"

#include <QObject>
#include <QTimer>

namespace tavimo {

class DialogService;
class VolumeTable;

// The library as it is open now: the current book with its albums, the mode, and the album
// open in the album window. Windows and commands use it by reference and change the book and
// the album only through it (or through the Book and Album it owns, whose changes it hears).
//
// Saving: a change marks what it touches; the session writes it once, shortly after the last
// change (saveDelay), and always when flush() is called: before the album window closes, the
// book or the mode changes, and at exit. An album that could not be read is never written.
class LibrarySession : public QObject {
    Q_OBJECT
public:
    LibrarySession(const QString& libraryFolder, DialogService& dialogs,
                   const VolumeTable& volumes);
    ~LibrarySession() override;

    const QString& libraryFolder() const { return libraryFolder_; }
    DialogService& dialogs() { return dialogs_; }
    const DriveProbe& probe() const { return probe_; }

    // The mode of the current book (and of the book list shown).
    BookMode mode() const { return mode_; }
    bool isMediaMode() const { return mode_ == BookMode::Media; }
    void setMode(BookMode mode) { mode_ = mode; }

    // The current book.
    Book& book() { return book_; }
    const Book& book() const { return book_; }
    bool bookOpen() const { return book_.isOpen(); }
    const BookPaths& bookPaths() const { return book_.paths(); }
    // Saves what is pending, then loads `title` in the current mode.
    Book::LoadResult loadBook(const QString& title);
    // Saves what is pending, then makes `title` a new, empty book. False when its folders could
    // not be made (reported; the program must end).
    bool createBook(const QString& title);
    // Saves what is pending and closes the book (and its album).
    void closeBook();

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
    // The open album's medium was found, chosen or forgotten: the book records it at once, so
    // a crash does not tie the album to no medium again.
    void recordMedium(const MediumRecord& record, const QString& root);
    // Appends a new, empty album to the book and writes its (empty) album file; answers its
    // index, or -1 when the name is empty or refused (said). "_" is appended while the name is
    // the book's title or another album's name in any letter case.
    int createAlbum(QString name);
    // The open album's picture in the book ("この画像をアルバム画像に設定").
    void setAlbumPicture(const QByteArray& jpeg);

    // The open album's files differ from its rows (fitted on opening): they are due.
    void markAlbumChanged();

    // Writes everything pending now.
    void flush();
    bool hasPendingSaves() const;
    // How long after the last change the pending files are written (300 ms by default).
    void setSaveDelay(int milliseconds) { saveTimer_.setInterval(milliseconds); }

Q_SIGNALS:
    // The book was loaded, created or closed.
    void bookReplaced();

private:
    void albumRowsChanged();
    void scheduleSave();
    // An empty media album belongs to no medium; its drive root stays, so the next files must
    // still come from the medium in that drive.
    void applyEmptyMediumRule();
    // Copies the open album's damaged files beside them before they are written over; false
    // (said) when a copy cannot be made.
    bool keepDamagedFiles();

    QString libraryFolder_;
    DialogService& dialogs_;
    DriveProbe probe_;
    BookMode mode_ = BookMode::Normal;
    Book book_;
    Album album_;
    int albumIndex_ = -1;
    bool albumReadOnly_ = false;
    QStringList albumDamaged_; // its files that could not be read whole, not yet kept
    bool albumStoreShared_ = false; // named like its book: its store would be the book's
    bool albumRowsDirty_ = false;
    bool albumMarksDirty_ = false;
    bool bookDirty_ = false;
    QTimer saveTimer_;
};

} // namespace tavimo
