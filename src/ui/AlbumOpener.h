#pragma once

#include "core/DriveProbe.h"
#include "ui/AlbumHost.h"

#include <QObject>

namespace tavimo {

class Book;
class DialogService;
class TForm1;
class TForm2;
class VolumeTable;

// Opening an album from the book window ("開く", Ctrl+E, a click or Enter on a cell): the album
// is handed to the album window, the book window hides until the album window closes. It is
// also the book side of the open album: what the album window changes goes back to the book.
class AlbumOpener final : public QObject, public AlbumHost {
    Q_OBJECT
public:
    AlbumOpener(Book* book, TForm1& bookWindow, TForm2& albumWindow, const VolumeTable& volumes,
                DialogService& dialogs);

    // The open book whose albums are opened (null: none, nothing opens).
    void setBook(Book* book) { book_ = book; }

    // Opens album `index` of the book; nothing for an index outside the book.
    void open(int index);

    // AlbumHost.
    void albumEntriesSaved(int albumIndex, const QStringList& entries) override;
    void albumRecordChanged(int albumIndex, const MediumRecord& record) override;
    bool setAlbumPicture(int albumIndex, const QByteArray& jpeg) override;
    void albumWindowClosed() override;

private:
    Book* book_;
    TForm1& bookWindow_;
    TForm2& albumWindow_;
    DriveProbe probe_;
    DialogService& dialogs_;
};

} // namespace tavimo
