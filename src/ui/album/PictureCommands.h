#pragma once

#include "ui/WindowNames.h"

#include <QObject>

class QImage;

namespace tavimo {

class DialogService;
class LibrarySession;

// The picture commands of the album window's cell menu: the current video's picture taken from
// a JPEG file or from the clipboard (fitted to a thumbnail and saved with the album), and the
// current picture made the album's picture in the book. They do nothing while files are being
// added.
class PictureCommands : public QObject {
    Q_OBJECT
public:
    PictureCommands(AlbumWindow& window, LibrarySession& session, DialogService& dialogs);

    void pictureFromFile();      // "画像の変更　ファイルから" (chngpic)
    void pictureFromClipboard(); // "画像を変更　クリップボードから" (clippic)
    void setAsAlbumPicture();    // "この画像をアルバム画像に設定" (N10)

private:
    // Fits a picture and makes it the current video's; false when there is none to take.
    bool replaceCurrentPicture(const QImage& picture);

    AlbumWindow& window_;
    LibrarySession& session_;
    DialogService& dialogs_;
};

} // namespace tavimo
