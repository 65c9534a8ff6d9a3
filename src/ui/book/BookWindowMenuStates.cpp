// The book window's menu states: which items are shown and enabled by mode and open book.
#include "core/LibrarySession.h"
#include "ui/book/BookWindow.h"
#include "ui/grid/ScrollBox.h"

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
    for (QAction* item : albumMenu->actions())
        item->setEnabled(states.albumCommands);
    for (QAction* item : albumPopup->actions())
        item->setEnabled(states.albumCommands);
    for (QAction* action : {delalbum, alb_back, alb_next, booksave, chgtitle, chgpic, alb_edit,
                            alb_play, copypic, FileOpen2, setnext, setback, seup, setdown})
        action->setEnabled(states.albumCommands);
    saveItem->setEnabled(states.albumCommands);
    favmenu->menuAction()->setEnabled(states.favourites.enabled);
    apply(N23, states.importAlbumMenu);
    apply(N26, states.importAlbumPopup);
    apply(N30, states.importBackground);
    apply(mediaitem, states.mediaAlbumMenu);
    apply(N47, states.mediaAlbumPopup);
    apply(N46, states.mediaBook);
    apply(syncro, states.folderSync);
    syncroSeparator->setVisible(states.folderSync.visible);
    // The shared commands behind the entries: an entry runs its command only while it is enabled.
    importalbum->setEnabled(states.importBackground.enabled);
    mediaalbum->setEnabled(states.mediaAlbumMenu.enabled);
}

void BookWindow::applyNoBookState() {
    applyMenuStates(bookMenuStates(session_.mode(), false));
    showFirstStep(false);
}

void BookWindow::applyBookOpenState() {
    applyMenuStates(bookMenuStates(session_.mode(), true));
    showFirstStep(true);
}

void BookWindow::applyBookLoadedItems() {
    applyMenuStates(bookMenuStates(session_.mode(), session_.bookOpen()));
    showFirstStep(session_.bookOpen());
}

void BookWindow::showFirstStep(bool bookOpen) {
    scrollBox->setEmptyHint(
        bookOpen ? QStringLiteral("アルバム → アルバムを追加、またはフォルダーをここにドロップ")
                 : QStringLiteral("ファイル → ブックの新規作成 で最初のブックを作ります"));
}

} // namespace tavimo
