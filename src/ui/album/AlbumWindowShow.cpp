// The album window's showing of an album and its thumbnail runs as the window reports them.
#include "core/AlbumShowing.h"
#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/EntryFiles.h"
#include "core/LibrarySession.h"
#include "ui/LoadingWindow.h"
#include "ui/album/AlbumWindow.h"
#include "ui/grid/ScrollBox.h"

#include <QMenu>

namespace tavimo {

namespace {

const QString kMakingThumbnails = QStringLiteral(" 縮小画像作成中・・・・・・");

// Entries are checked in blocks of this many between steps of the loading window.
constexpr int kProgressBlock = 256;

} // namespace

void AlbumWindow::showAlbum(bool folderSync) {
    Album& album = this->album();
    const bool hasVideos = album.count() > 0;
    // A read-only album shows what its file holds: neither the folder nor missing files
    // change it, since nothing of that could be saved.
    const bool readOnly = session_.albumReadOnly();
    applyReadOnly();
    // Files that differ from the album (fitted on opening), and an empty album's files, are
    // written anew; every change below is saved by the session as it happens.
    if (album.fittedOnAssign() || !hasVideos)
        session_.markAlbumChanged();
    QStringList unfit;
    if (hasVideos && !readOnly) {
        if (!album.isMediaMode() && folderSync)
            albumshow::synchroniseWithFolder(album, state_.extensions, &unfit);
        if (loading_ != nullptr)
            loading_->BeginProgress(album.count() - 1);
        const auto progress = [this](int done) {
            if (loading_ != nullptr)
                loading_->StepProgress(done);
        };
        albumshow::dropMissingFiles(album, progress, kProgressBlock);
    }
    actions_.favourites->menuAction()->setEnabled(!album.isMediaMode());
    actions_.favourites->menuAction()->setVisible(true);

    placeAtRightEdge();
    show();
    layOutGrid();
    if (loading_ != nullptr && hasVideos)
        loading_->EndProgress();
    updateCaption();
    raise();
    activateWindow();
    setCurrentVideo(album.count() > 0 ? 0 : -1);
    grid_->setFocus();
    if (!unfit.isEmpty())
        dialogs_.message(unfitPathsMessage(unfit), DialogService::Buttons::Ok,
                         DialogService::Icon::Warning);

    // Pictures the store could not give are made now; the window stays usable meanwhile. The
    // album shows from its top, so the visible cells come first.
    thumbnails_->startShow();
}

void AlbumWindow::addFiles(const QStringList& fullPaths) {
    if (!isBusy() && !fullPaths.isEmpty() && !session_.albumReadOnly())
        thumbnails_->startAdd(fullPaths);
}

void AlbumWindow::refreshPicture() {
    if (!isBusy())
        thumbnails_->startRefresh(currentVideo());
}

void AlbumWindow::runStarted(ThumbnailRun::Kind kind, int files) {
    if (kind == ThumbnailRun::Kind::Show && files == 0)
        return;
    const QString count = kind == ThumbnailRun::Kind::Refresh ? QString() : QString::number(files);
    setStatusTexts(QString(), count + kMakingThumbnails);
    if (kind != ThumbnailRun::Kind::Refresh)
        startProgress(files - 1);
}

void AlbumWindow::runFinished(ThumbnailRun::Kind kind) {
    // The pictures the run made, which the session let wait, go to the disk now.
    session_.saveSoon();
    const int current = currentVideo();
    layOutGrid();
    updateCaption();
    endProgress();
    setStatusTexts(QString(), QString());
    switch (kind) {
    case ThumbnailRun::Kind::Show:
        setCurrentVideo(std::min(std::max(current, 0), album().lastIndex()));
        Q_EMIT albumReady();
        break;
    case ThumbnailRun::Kind::Add:
        setCurrentVideo(album().lastIndex());
        Q_EMIT filesAdded();
        break;
    case ThumbnailRun::Kind::Refresh:
        Q_EMIT pictureRefreshed();
        break;
    case ThumbnailRun::Kind::None:
        break;
    }
}

} // namespace tavimo
