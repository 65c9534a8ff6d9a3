#include "ui/player/PlayerCapture.h"

#include "core/Album.h"
#include "core/AppState.h"
#include "core/CapturePicture.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "core/Playback.h"
#include "media/FrameGrabber.h"
#include "media/MpvPlayer.h"
#include "ui/album/AlbumWindow.h"
#include "ui/album/PictureCommands.h"
#include "ui/player/PlayerMenu.h"
#include "ui/player/PlayerWindow.h"
#include "ui/player/VideoSurface.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace tavimo {

PlayerCapture::PlayerCapture(AlbumWindow& album, PlayerWindow& player, AppState& state,
                             DialogService& dialogs)
    : QObject(&player), album_(album), player_(player), state_(state), dialogs_(dialogs) {
    decoding_.setMaxThreadCount(1);
    player_.attachCapture(this);
}

PlayerCapture::~PlayerCapture() {
    decoding_.waitForDone();
}

void PlayerCapture::copy() {
    start(Use::Copy);
}

void PlayerCapture::save() {
    start(Use::Save);
}

void PlayerCapture::setAsThumbnail() {
    start(Use::Thumbnail);
}

void PlayerCapture::start(Use use) {
    if (capturing_)
        return;
    media::MpvPlayer& mpv = player_.mpv();
    Request request;
    request.use = use;
    request.index = player_.playback().index();
    request.row = album_.album().rowId(request.index);
    request.path = mpv.path();
    if (mpv.state() == media::MpvPlayer::Playing && !player_.playback().isOpening()) {
        player_.playback().pause();
        request.resume = true;
    }
    capturing_ = true;
    if (state_.rendererCapable) {
        const QSize own =
            capture::ownPictureSize(QSize(mpv.videoWidth(), mpv.videoHeight()), mpv.cropRect());
        taken(request, capture::fromShownPicture(shownPicture(), own, state_.captureOriginalSize));
    } else {
        decode(request);
    }
}

QImage PlayerCapture::shownPicture() const {
    const media::MpvPlayer& mpv = player_.mpv();
    const QRect shown = mpv.pictureRect();
    if (!mpv.isActive() || mpv.state() == media::MpvPlayer::Inactive || mpv.isLoading() ||
        !mpv.facts().firstVideo() || shown.isEmpty())
        return {};
    ui::VideoSurface& surface = player_.videoSurface();
    if (!surface.rect().contains(shown))
        return {};
    return surface.grab(shown).toImage();
}

void PlayerCapture::decode(const Request& request) {
    const media::MpvPlayer& mpv = player_.mpv();
    const QRect shown = mpv.pictureRect();
    qint64 current = 0, stop = 0;
    if (!mpv.isActive() || mpv.isLoading() || !mpv.facts().firstVideo() || shown.isEmpty() ||
        !mpv.position(&current, &stop)) {
        taken(request, {});
        return;
    }
    const QRect crop = mpv.cropRect();
    const bool originalSize = state_.captureOriginalSize;
    decoding_.start([this, request, current, crop, shown, originalSize] {
        media::FrameGrabber grabber;
        const QImage picture = capture::fromDecodedFrame(grabber.frameAt(request.path, current),
                                                         crop, shown.size(), originalSize);
        QMetaObject::invokeMethod(
            this, [this, request, picture] { taken(request, picture); }, Qt::QueuedConnection);
    });
}

void PlayerCapture::taken(const Request& request, const QImage& picture) {
    if (!picture.isNull()) {
        switch (request.use) {
        case Use::Copy:
            QGuiApplication::clipboard()->setImage(picture);
            break;
        case Use::Save:
            saveFile(picture);
            break;
        case Use::Thumbnail:
            QGuiApplication::clipboard()->setImage(picture);
            makeThumbnail(request);
            break;
        }
    }
    capturing_ = false;
    // Play on only the video that was paused here, if nothing else has moved it meanwhile.
    media::MpvPlayer& mpv = player_.mpv();
    if (request.resume && mpv.path() == request.path && mpv.state() == media::MpvPlayer::Paused)
        player_.playback().play();
    Q_EMIT finished(picture);
}

void PlayerCapture::saveFile(const QImage& picture) {
    const QString name = names_.next(QDateTime::currentDateTime());
    const QString folder =
        capture::captureFolderOr(state_.captureFolder, state_.libraryFolderPlain());
    capture::SaveTarget target{QDir(folder).filePath(name), capture::PictureFormat::Bmp};
    if (!state_.captureSilent) {
        QString filter;
        const auto chosen =
            dialogs_.saveFile(QString(), folder, name, capture::saveDialogFilter(), &filter);
        if (!chosen)
            return;
        target = capture::saveTarget(*chosen, filter);
        state_.captureFolder = QFileInfo(target.path).absolutePath();
    }
    const WriteResult written = capture::savePicture(target.path, picture, target.format);
    if (!written)
        dialogs_.message(written.message(), DialogService::Buttons::Ok, DialogService::Icon::Error);
}

void PlayerCapture::makeThumbnail(const Request& request) {
    // The video may have moved, or left with its album, while its frame was decoded.
    const int index = request.row ? album_.album().indexOf(request.row, request.index) : -1;
    // Not even through the command let through below: a read-only album is never saved.
    if (index < 0 || album_.session().albumReadOnly())
        return;
    if (album_.currentVideo() != index)
        album_.setCurrentVideo(index);
    // The album window's command, though its menu item is off while the player shows.
    album_.pictureCommands().pictureFromClipboard();
}

} // namespace tavimo
