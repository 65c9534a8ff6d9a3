// What each action and key of the album window does: the one table of them.
#include "ui/ActionTable.h"
#include "ui/album/AlbumCommands.h"
#include "ui/album/AlbumToolBar.h"
#include "ui/album/AlbumWindow.h"
#include "ui/album/PictureCommands.h"
#include "ui/grid/ScrollBox.h"
#include "ui/player/PlayerLink.h"

#include <QTimer>

namespace tavimo {

void AlbumWindow::wire(const Commands& c) {
    const AlbumActions& a = actions_;
    connectCommands({
        // Playing: the player takes the current video.
        {a.play, c.player, [c] { c.player->play(); }},
        {a.continuousPlay, c.player, [c] { c.player->playOn(); }},
        {a.otherPlayer, c.videos, [c] { c.videos->playWithOtherPlayer(); }},
        // Adding videos.
        {a.openFiles, c.videos, [c] { c.videos->openFiles(); }},
        {a.openFolder, c.videos, [c] { c.videos->openFolder(); }},
        // Order.
        {a.moveBack, c.videos, [c] { c.videos->move(RowStep::Back); }},
        {a.moveForward, c.videos, [c] { c.videos->move(RowStep::Forward); }},
        {a.moveToFront, c.videos, [c] { c.videos->move(RowStep::ToFront); }},
        {a.moveToEnd, c.videos, [c] { c.videos->move(RowStep::ToEnd); }},
        {a.sortByName, c.videos, [c] { c.videos->sortByName(); }},
        {a.sortByPlayCount, c.videos, [c] { c.videos->sortByPlayCount(); }},
        // Removing videos.
        {a.deleteVideo, c.videos, [c] { c.videos->deleteFromAlbum(); }},
        {a.deleteFile, c.videos, [c] { c.videos->deleteFile(); }},
        // Pictures.
        {a.pictureFromFile, pictures_, [this] { pictures_->pictureFromFile(); }},
        {a.pictureFromClipboard, pictures_, [this] { pictures_->pictureFromClipboard(); }},
        {a.setAlbumPicture, pictures_, [this] { pictures_->setAsAlbumPicture(); }},
        {a.refreshPicture, this, [this] { refreshPicture(); }},
        // The window. The arrow keys move the selection, except while files are being added.
        {a.selectNext, this, [this] { isBusy() || grid_->selectNext(); }},
        {a.selectPrevious, this, [this] { isBusy() || grid_->selectPrevious(); }},
        {a.selectUp, this, [this] { isBusy() || grid_->selectUp(); }},
        {a.selectDown, this, [this] { isBusy() || grid_->selectDown(); }},
        {a.close, this,
         [this] {
             if (player_ != nullptr && player_->isVisible())
                 player_->close();
             QTimer::singleShot(0, this, &QWidget::close);
         }},
        {toolBar_->backgroundColorButton, this, [this] { chooseColor(true); }},
        {toolBar_->fontColorButton, this, [this] { chooseColor(false); }},
    });
}

} // namespace tavimo
