// The book window's menu states: which items are shown and enabled by mode and open book.
#include "core/LibrarySession.h"
#include "ui/book/BookWindow.h"

#include <QAction>
#include <QMenu>

namespace tavimo {

namespace {
void apply(QAction* item, const ItemState& state) {
    item->setVisible(state.visible);
    item->setEnabled(state.enabled);
}
} // namespace

void BookWindow::applyMenuStates(const BookMenuStates& states) {
    const BookActions& a = actions_;
    for (QAction* item : a.albumMenu->actions())
        item->setEnabled(states.albumCommands);
    for (QAction* item : a.albumPopup->actions())
        item->setEnabled(states.albumCommands);
    for (QAction* action : {a.deleteAlbum, a.moveBack, a.moveForward, a.saveBook, a.renameAlbum,
                            a.pictureFromFile, a.openAlbum, a.playAlbum, a.pictureFromClipboard,
                            a.FileOpen2, a.selectNext, a.selectPrevious, a.selectUp, a.selectDown})
        action->setEnabled(states.albumCommands);
    a.save->setEnabled(states.albumCommands);
    a.favouritesMenu->menuAction()->setEnabled(states.favourites.enabled);
    apply(a.importInAlbumMenu, states.importAlbumMenu);
    apply(a.importInAlbumPopup, states.importAlbumPopup);
    apply(a.importInBackground, states.importBackground);
    apply(a.mediumInAlbumMenu, states.mediaAlbumMenu);
    apply(a.mediumInAlbumPopup, states.mediaAlbumPopup);
    apply(a.bookFromMedium, states.mediaBook);
    apply(a.folderSync, states.folderSync);
    a.folderSyncSeparator->setVisible(states.folderSync.visible);
    // The shared commands behind the entries: an entry runs its command only while it is enabled.
    a.importAlbum->setEnabled(states.importBackground.enabled);
    a.albumFromMedium->setEnabled(states.mediaAlbumMenu.enabled);
}

void BookWindow::showMode(BookMode mode) {
    (mode == BookMode::Media ? actions_.mediaMode : actions_.normalMode)->setChecked(true);
}

void BookWindow::applyNoBookState() {
    applyMenuStates(bookMenuStates(session_.mode(), false));
}

void BookWindow::applyBookOpenState() {
    applyMenuStates(bookMenuStates(session_.mode(), true));
}

void BookWindow::applyBookLoadedItems() {
    applyMenuStates(bookMenuStates(session_.mode(), session_.bookOpen()));
}

} // namespace tavimo
