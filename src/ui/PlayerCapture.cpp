#include "ui/PlayerCapture.h"

#include "core/Album.h"
#include "core/AppState.h"
#include "core/CapturePicture.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "core/Playback.h"
#include "media/FrameGrabber.h"
#include "media/PlayerEngine.h"
#include "ui/AlbumWindow.h"
#include "ui/PlayerMenu.h"
#include "ui/PlayerWindow.h"
#include "ui/VideoSurface.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace tavimo {

PlayerCapture::PlayerCapture(TForm2& album, TForm4& player, AppState& state, DialogService& dialogs)
    : QObject(&player), album_(album), player_(player), state_(state), dialogs_(dialogs) {
    decoding_.setMaxThreadCount(1);
    PlayerMenu& menu = player_.menu();
    connect(menu.copy, &QAction::triggered, this, &PlayerCapture::copy);
    connect(menu.savePicture, &QAction::triggered, this, &PlayerCapture::save);
    connect(menu.setThumbnail, &QAction::triggered, this, &PlayerCapture::setAsThumbnail);
    // The window sets the bookmark on this action first (it connected earlier).
    connect(menu.bookmarkAndPicture, &QAction::triggered, this, &PlayerCapture::setAsThumbnail);
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
    media::PlayerEngine& engine = player_.engine();
    Request request;
    request.use = use;
    request.index = player_.playback().index();
    request.row = album_.album().rowId(request.index);
    request.path = engine.path();
    if (engine.state() == media::PlayerEngine::Playing && !player_.playback().isOpening()) {
        player_.playback().pause();
        request.resume = true;
    }
    capturing_ = true;
    if (state_.rendererCapable) {
        const QSize own = capture::ownPictureSize(QSize(engine.videoWidth(), engine.videoHeight()),
                                                  engine.sourceRect());
        taken(request, capture::fromShownPicture(shownPicture(), own, state_.captureOriginalSize));
    } else {
        decode(request);
    }
}

QImage PlayerCapture::shownPicture() const {
    const media::PlayerEngine& engine = player_.engine();
    const QRect shown = engine.destinationRect();
    if (!engine.isActive() || engine.state() == media::PlayerEngine::Uninitialised ||
        engine.isOpening() || !engine.facts().firstVideo() || shown.isEmpty())
        return {};
    ui::VideoSurface& surface = player_.videoSurface();
    if (!surface.rect().contains(shown))
        return {};
    return surface.grab(shown).toImage();
}

void PlayerCapture::decode(const Request& request) {
    const media::PlayerEngine& engine = player_.engine();
    const QRect shown = engine.destinationRect();
    qint64 current = 0, stop = 0;
    if (!engine.isActive() || engine.isOpening() || !engine.facts().firstVideo() ||
        shown.isEmpty() || !engine.positions(&current, &stop)) {
        taken(request, {});
        return;
    }
    const QRect crop = engine.sourceRect();
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
    media::PlayerEngine& engine = player_.engine();
    if (request.resume && engine.path() == request.path &&
        engine.state() == media::PlayerEngine::Paused)
        player_.playback().play();
    Q_EMIT finished(picture);
}

void PlayerCapture::saveFile(const QImage& picture) {
    const QString name = names_.next(QDateTime::currentDateTime());
    const QString folder =
        capture::captureFolderOr(state_.captureFolder, state_.libraryFolderPlain());
    QString path;
    if (state_.captureSilent) {
        path = QDir(folder).filePath(name);
    } else {
        const auto chosen =
            dialogs_.saveFile(QString(), folder, name, QStringLiteral("ビットマップ (*.bmp)"));
        if (!chosen)
            return;
        path = capture::withBmpExtension(*chosen);
        state_.captureFolder = QFileInfo(path).absolutePath();
    }
    const WriteResult written = capture::saveBmp24(path, picture);
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
    // The command is off while the player shows; it is let through for this one call.
    QAction* fromClipboard = album_.clippic;
    const bool wasEnabled = fromClipboard->isEnabled();
    fromClipboard->setEnabled(true);
    fromClipboard->trigger();
    fromClipboard->setEnabled(wasEnabled);
}

} // namespace tavimo
