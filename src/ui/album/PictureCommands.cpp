#include "ui/album/PictureCommands.h"

#include "core/DialogService.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "ui/album/AlbumWindow.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

namespace tavimo {

PictureCommands::PictureCommands(AlbumWindow& window, LibrarySession& session,
                                 DialogService& dialogs)
    : QObject(&window), window_(window), session_(session), dialogs_(dialogs) {}

bool PictureCommands::replaceCurrentPicture(const QImage& picture) {
    Album& album = session_.album();
    const int current = window_.currentVideo();
    QImage thumbnail;
    if (!album.isValidIndex(current) || !imagefunc::fitThumbnail(picture, thumbnail))
        return false;
    return album.setBitmap(current, thumbnail);
}

void PictureCommands::pictureFromFile() {
    const Album& album = session_.album();
    if (window_.isBusy() || !album.isValidIndex(window_.currentVideo()))
        return;
    const auto path = dialogs_.openFile(QString(), album.bookPaths().imagesFolder,
                                        QStringLiteral("JPEG(*jpg (*.jpg)"));
    if (!path)
        return;
    QFile file(*path);
    const QImage picture = file.open(QIODevice::ReadOnly) ? jpeg::decode(file.readAll()) : QImage();
    if (picture.isNull()) {
        // The cell and the store keep the old picture.
        dialogs_.message(*path + QStringLiteral(" は読み込めません"), DialogService::Buttons::Ok,
                         DialogService::Icon::Error);
        return;
    }
    replaceCurrentPicture(picture);
}

void PictureCommands::pictureFromClipboard() {
    if (window_.isBusy() || !session_.album().isValidIndex(window_.currentVideo()))
        return;
    const QImage picture = QGuiApplication::clipboard()->image();
    if (!picture.isNull())
        replaceCurrentPicture(picture);
}

void PictureCommands::setAsAlbumPicture() {
    const Album& album = session_.album();
    const int current = window_.currentVideo();
    if (!album.isValidIndex(current) || album.needsThumbnail(current))
        return;
    session_.setAlbumPicture(album.pictureBytes(current));
}

} // namespace tavimo
