#include "ui/player/PlayerLink.h"

#include "core/LibrarySession.h"
#include "core/Playback.h"
#include "ui/album/AlbumWindow.h"
#include "ui/grid/ScrollBox.h"
#include "ui/player/PlayerMenu.h"
#include "ui/player/PlayerWindow.h"

#include <QAction>

namespace tavimo {

PlayerLink::PlayerLink(AlbumWindow& album, PlayerWindow& player)
    : QObject(&player), album_(album), player_(player) {
    // A cell pressed while a video plays stops it; the release (or Enter) plays the cell.
    connect(album_.grid(), &ScrollBox::cellPressed, this, [this](int, Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            player_.stopVideo();
    });
    connect(&player_.playback(), &Playback::currentVideoChanged, this, [this](int index) {
        if (album_.currentVideo() != index)
            album_.setCurrentVideo(index);
    });
    connect(&player_, &PlayerWindow::shown, this, [this] {
        album_.disableEditing();
        // Bookmarks and pictures of a read-only album would never be saved.
        const bool writable = !album_.session().albumReadOnly();
        const PlayerActions& actions = player_.playerActions();
        for (QAction* edit :
             {actions.setBookmark, actions.bookmarkAndPicture, actions.setThumbnail})
            edit->setEnabled(writable);
    });
    connect(&player_, &PlayerWindow::hidden, this, [this] {
        album_.enableEditing();
        if (album_.isVisible()) {
            album_.activateWindow();
            album_.grid()->setFocus();
        }
    });
}

void PlayerLink::play() {
    const int current = album_.currentVideo();
    if (album_.isBusy() || player_.playback().isOpening() || album_.album().count() == 0 ||
        current < 0)
        return;
    player_.playVideo(current, false);
}

void PlayerLink::playOn() {
    const int current = album_.currentVideo();
    if (album_.isBusy() || current < 0)
        return;
    player_.playVideo(current, true);
}

} // namespace tavimo
