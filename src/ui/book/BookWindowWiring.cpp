// What each menu item, key and option of the book window does: the one table of them.
#include "core/AppState.h"
#include "core/CellGeometry.h"
#include "core/LibrarySession.h"
#include "ui/ActionTable.h"
#include "ui/book/AlbumCopyCommand.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/AlbumsFromFolders.h"
#include "ui/book/BookAlbumCommands.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookListMenu.h"
#include "ui/book/BookToolCommands.h"
#include "ui/book/BookWindow.h"
#include "ui/book/FavouritesMenu.h"
#include "ui/book/ModeSwitcher.h"
#include "ui/grid/ScrollBox.h"
#include "ui/player/PlayerWindow.h"
#include "ui/search/SearchCommand.h"

#include <QPointer>

namespace tavimo {

void BookWindow::wire(const Commands& c) {
    const BookActions& a = actions_;
    connectCommands({
        // File menu; the book entries are BookListMenu's own.
        {a.newBook, c.bookList, [c] { c.bookList->createBook(); }},
        {a.bookFromMedium, c.fromFolders, [c] { c.fromFolders->askForMedium(true); }},
        {a.save, c.files,
         [this, c] {
             if (session_.book().count() > 0)
                 c.files->saveCurrentBook();
         }},
        {a.saveBook, c.files, [c] { c.files->saveCurrentBook(); }},
        {a.exit, this, [this] { close(); }},
        // Mode menu.
        // A switch refused (the user chose to stay) leaves the tick on the mode there is.
        {a.normalMode, c.modes,
         [this, c] {
             c.modes->switchTo(BookMode::Normal);
             updateCommandStates();
         }},
        {a.mediaMode, c.modes,
         [this, c] {
             c.modes->switchTo(BookMode::Media);
             updateCommandStates();
         }},
        // Album commands (menus, popups and keys).
        {a.addAlbum, c.albums, [c] { c.albums->add(); }},
        {a.importAlbum, c.fromFolders, [c] { c.fromFolders->importAlbums(); }},
        {a.albumFromFolder, c.fromFolders, [c] { c.fromFolders->chooseFolder(); }},
        {a.albumFromMedium, c.fromFolders, [c] { c.fromFolders->askForMedium(false); }},
        {a.deleteAlbum, c.albums, [c] { c.albums->remove(); }},
        {a.openAlbum, c.opener, [this, c] { c.opener->open(currentAlbum()); }},
        {a.playAlbum, c.albums, [c] { c.albums->play(); }},
        {a.moveBack, c.albums, [c] { c.albums->move(RowStep::Back); }},
        {a.moveForward, c.albums, [c] { c.albums->move(RowStep::Forward); }},
        {a.moveToFront, c.albums, [c] { c.albums->move(RowStep::ToFront); }},
        {a.moveToEnd, c.albums, [c] { c.albums->move(RowStep::ToEnd); }},
        {a.sortAlbums, c.albums, [c] { c.albums->sort(); }},
        {a.folderSync, c.fromFolders,
         [this, c] { c.fromFolders->toggleFolderSync(actions_.folderSync->isChecked()); }},
        {a.copyFiles, c.copy, [c] { c.copy->run(); }},
        {a.renameAlbum, c.albums, [c] { c.albums->rename(); }},
        {a.pictureFromFile, c.albums, [c] { c.albums->pictureFromFile(); }},
        {a.pictureFromClipboard, c.albums, [c] { c.albums->pictureFromClipboard(); }},
        {a.selectNext, this, [this] { grid_->selectNext(); }},
        {a.selectPrevious, this, [this] { grid_->selectPrevious(); }},
        {a.selectUp, this, [this] { grid_->selectUp(); }},
        {a.selectDown, this, [this] { grid_->selectDown(); }},
        // Favourites menu; its album items are FavouritesMenu's own.
        {a.chooseFavourite, c.favourites, [c] { c.favourites->chooseFavourite(); }},
        // Options menu.
        {a.largeCells, this, [this] { chooseCellSize(kLargeCells); }},
        {a.smallCells, this, [this] { chooseCellSize(kSmallCells); }},
        {a.backgroundColor, this, [this] { chooseBackgroundColor(); }},
        {a.fontColor, this, [this] { chooseFontColor(); }},
        {a.otherPlayer, c.tools, [c] { c.tools->chooseOtherPlayer(); }},
        {a.captureFolder, c.tools, [c] { c.tools->chooseCaptureFolder(); }},
        {a.addExtension, this, [this] { addSupportedExtension(); }},
        // Tools and Help menus.
        {a.siblingTool, c.tools, [c] { c.tools->startSiblingTool(); }},
        {a.videoSearch, c.search, [c] { c.search->show(); }},
        {a.help, c.tools, [c] { c.tools->showHelp(); }},
    });

    // The player reads the renderer options when it opens a video and when they change.
    const auto rendererChanged = [player = QPointer<PlayerWindow>(c.player)] {
        if (player != nullptr)
            player->rendererOptionsChanged();
    };
    connectOptions({
        {a.autoHeight,
         [this](bool on) {
             state_.bookWindow.autoHeight = on;
             if (on)
                 grid_->layOut();
         }},
        {a.syncFolderAlbums, [this](bool on) { state_.syncFolderAlbums = on; }},
        {a.skipUnreadable, [this](bool on) { state_.skipUnreadable = on; }},
        {a.captureOriginalSize, [this](bool on) { state_.captureOriginalSize = on; }},
        {a.captureSilent, [this](bool on) { state_.captureSilent = on; }},
        {a.fixVideoDisplay,
         [this, rendererChanged](bool on) {
             state_.fixVideoDisplay = on;
             rendererChanged();
         }},
        {a.oldRenderer,
         [this, rendererChanged](bool on) {
             chooseOldRenderer(on);
             rendererChanged();
         }},
    });
}

} // namespace tavimo
