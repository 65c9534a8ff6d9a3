// The book window's menu states: which items are shown and enabled by mode, open book and work
// running.
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
    const BookActions& a = actions_;
    for (QAction* item : a.albumMenu->actions())
        item->setEnabled(states.albumCommands);
    for (QAction* item : a.albumPopup->actions())
        item->setEnabled(states.albumCommands);
    for (QAction* action :
         {a.deleteAlbum, a.moveBack, a.moveForward, a.saveBook, a.renameAlbum, a.pictureFromFile,
          a.openAlbum, a.playAlbum, a.pictureFromClipboard, a.openPlaceholder, a.selectNext,
          a.selectPrevious, a.selectUp, a.selectDown})
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

void BookWindow::updateCommandStates() {
    const bool bookOpen = session_.bookOpen();
    applyMenuStates(bookMenuStates(session_.mode(), bookOpen && *busyCount_ == 0));
    (session_.isMediaMode() ? actions_.mediaMode : actions_.normalMode)->setChecked(true);
    grid_->setEmptyHint(
        bookOpen ? QStringLiteral("アルバム → アルバムを追加、またはフォルダーをここにドロップ")
                 : QStringLiteral("ファイル → ブックの新規作成 で最初のブックを作ります"));
}

BookWindow::BusyScope::BusyScope(BookWindow& window) : window_(window), count_(window.busyCount_) {
    if (++*window.busyCount_ == 1)
        window_.updateCommandStates();
}

BookWindow::BusyScope::~BusyScope() {
    const std::shared_ptr<int> count = count_.lock();
    if (count && --*count == 0)
        window_.updateCommandStates();
}

} // namespace tavimo
