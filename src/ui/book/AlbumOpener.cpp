#include "ui/book/AlbumOpener.h"

#include "core/LibrarySession.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/BookWindow.h"

namespace tavimo {

AlbumOpener::AlbumOpener(LibrarySession& session, BookWindow& bookWindow, AlbumWindow& albumWindow)
    : QObject(&bookWindow), session_(session), bookWindow_(bookWindow), albumWindow_(albumWindow) {
    connect(&albumWindow_, &AlbumWindow::closed, this, &AlbumOpener::albumWindowClosed);
}

void AlbumOpener::open(int index) {
    // One album at a time: the album window is busy with the open one until it closes.
    if (albumWindow_.isVisible() || !session_.openAlbum(index))
        return;
    albumOpen_.emplace(bookWindow_);
    bookWindow_.hide();
    albumWindow_.showAlbum(session_.book().album(index).folderSync);
}

void AlbumOpener::albumWindowClosed() {
    albumOpen_.reset();
    bookWindow_.show();
}

} // namespace tavimo
