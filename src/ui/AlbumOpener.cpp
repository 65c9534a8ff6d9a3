#include "ui/AlbumOpener.h"

#include "core/AlbumOpening.h"
#include "core/Book.h"
#include "ui/AlbumWindow.h"
#include "ui/BookWindow.h"
#include "ui/ScrollBox.h"

#include <QAction>

namespace tavimo {

AlbumOpener::AlbumOpener(Book* book, TForm1& bookWindow, TForm2& albumWindow,
                         const VolumeTable& volumes, DialogService& dialogs)
    : book_(book), bookWindow_(bookWindow), albumWindow_(albumWindow), probe_(volumes),
      dialogs_(dialogs) {
    albumWindow_.setHost(this);
    connect(bookWindow_.alb_edit, &QAction::triggered, this,
            [this] { open(bookWindow_.scrollBox->currentIndex()); });
}

void AlbumOpener::open(int index) {
    // One album at a time: the album window is busy with the open one until it closes.
    if (book_ == nullptr || !book_->isValidIndex(index) || albumWindow_.isVisible())
        return;
    Album& album = albumWindow_.album();
    // The cells are built once, when the window shows the album.
    album.setCells(nullptr);
    const MediumRecord before = book_->registry().get(index);
    openAlbum(album, *book_, index, probe_, dialogs_);
    // Opening may identify the album's medium by its files: keep what was learnt.
    if (book_->mode() == BookMode::Media && book_->registry().get(index) != before)
        book_->save(dialogs_);
    bookWindow_.hide();
    albumWindow_.showAlbum(book_->album(index).folderSync);
}

void AlbumOpener::albumEntriesSaved(int albumIndex, const QStringList& entries) {
    if (book_ != nullptr)
        book_->setEntries(albumIndex, entries);
}

void AlbumOpener::albumRecordChanged(int albumIndex, const MediumRecord& record) {
    if (book_ == nullptr || !book_->isValidIndex(albumIndex) ||
        book_->registry().get(albumIndex) == record)
        return;
    book_->setRecord(albumIndex, record);
    // The medium an album belongs to is written at once, so a crash before the next book
    // save does not tie the album to no medium again.
    if (book_->mode() == BookMode::Media)
        book_->save(dialogs_);
}

bool AlbumOpener::setAlbumPicture(int albumIndex, const QByteArray& jpeg) {
    if (book_ == nullptr || !book_->isValidIndex(albumIndex))
        return false;
    book_->setPictureJpeg(albumIndex, jpeg);
    return true;
}

void AlbumOpener::albumWindowClosed() {
    bookWindow_.applyBookOpenState();
    bookWindow_.show();
    bookWindow_.scrollBox->setFocus();
}

} // namespace tavimo
