#include "ui/PlayerLink.h"

#include "core/LibrarySession.h"
#include "core/Playback.h"
#include "ui/AlbumWindow.h"
#include "ui/PlayerMenu.h"
#include "ui/PlayerWindow.h"
#include "ui/ScrollBox.h"

#include <QAction>

namespace tavimo {

PlayerLink::PlayerLink(TForm2& album, TForm4& player)
    : QObject(&player), album_(album), player_(player) {
    connect(album_.a_play, &QAction::triggered, this, &PlayerLink::play);
    connect(album_.a_autoplay, &QAction::triggered, this, &PlayerLink::playOn);
    // A cell pressed while a video plays stops it; the release (or Enter) plays the cell.
    connect(album_.grid(), &ScrollBox::cellPressed, this, [this](int, Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            player_.stopVideo();
    });
    connect(&player_.playback(), &Playback::currentVideoChanged, this, [this](int index) {
        if (album_.currentVideo() != index)
            album_.setCurrentVideo(index);
    });
    connect(&player_, &TForm4::shown, this, [this] {
        album_.disableEditing();
        // Bookmarks and pictures of a read-only album would never be saved.
        const bool writable = !album_.session().albumReadOnly();
        PlayerMenu& menu = player_.menu();
        for (QAction* edit : {menu.setBookmark, menu.bookmarkAndPicture, menu.setThumbnail})
            edit->setEnabled(writable);
    });
    connect(&player_, &TForm4::hidden, this, [this] {
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
