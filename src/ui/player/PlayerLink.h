#pragma once

#include "ui/WindowNames.h"

#include <QObject>

namespace tavimo {

// Between the album window and the player: the play commands and a click on a cell hand the
// album's video to the player, the video that plays stays the album window's current one, and
// the album window's editing commands are off while the player shows. The player's commands
// that write to the album (bookmarks, thumbnails) are off for an album open read-only. Owned by
// the player.
class PlayerLink : public QObject {
    Q_OBJECT
public:
    PlayerLink(AlbumWindow& album, PlayerWindow& player);

    // "プレイ": the current video alone; "連続再生": from the current video on through the album.
    void play();
    void playOn();

private:
    AlbumWindow& album_;
    PlayerWindow& player_;
};

} // namespace tavimo
