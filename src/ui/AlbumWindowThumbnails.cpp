// The album window's showing of an album and everything that makes thumbnails: the pictures
// missing at show time, adding files, and the picture commands of the cell menu.
#include "core/AlbumShowing.h"
#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "media/ThumbnailPool.h"
#include "ui/AlbumHost.h"
#include "ui/AlbumWindow.h"
#include "ui/LoadingWindow.h"
#include "ui/ScrollBox.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>

namespace tavimo {

namespace {

const QString kMakingThumbnails = QStringLiteral(" 縮小画像作成中・・・・・・");

// Entries are checked in blocks of this many between steps of the loading window.
constexpr int kProgressBlock = 256;

} // namespace

void TForm2::showAlbum(bool folderSync) {
    // The preparation runs without cells; they are built once, for the videos that stay.
    album_.setCells(nullptr);
    const bool hasVideos = album_.count() > 0;
    bool changed = album_.fittedOnAssign();
    if (hasVideos) {
        if (!album_.isMediaMode() && folderSync)
            changed = albumshow::synchroniseWithFolder(album_, state_.extensions) || changed;
        if (loading_ != nullptr)
            loading_->BeginProgress(album_.count() - 1);
        const auto progress = [this](int done) {
            if (loading_ != nullptr)
                loading_->StepProgress(done);
        };
        changed = albumshow::dropMissingFiles(album_, progress, kProgressBlock) > 0 || changed;
    }
    album_.setCells(&cells_);
    applyEmptyMediumRule();
    if (changed || !hasVideos) {
        saveAlbum();
        if (hasVideos)
            saveMarks();
    }
    fadd->menuAction()->setEnabled(!album_.isMediaMode());
    fadd->menuAction()->setVisible(true);

    placeAtRightEdge();
    show();
    layOutGrid();
    if (loading_ != nullptr && hasVideos)
        loading_->EndProgress();
    updateCaption();
    raise();
    activateWindow();
    setCurrentVideo(album_.count() > 0 ? 0 : -1);
    grid_->setFocus();

    // Pictures the store could not give are made now; the window stays usable meanwhile.
    const QList<int> missing = albumshow::videosWithoutPicture(album_);
    if (missing.isEmpty()) {
        Q_EMIT albumReady();
        return;
    }
    QStringList paths;
    for (int i : missing)
        paths.append(album_.fullPath(i));
    runVideos_ = missing;
    startThumbnails(RunKind::Show, paths);
}

void TForm2::addFiles(const QStringList& fullPaths) {
    if (busy_ || fullPaths.isEmpty())
        return;
    runVideos_.clear();
    startThumbnails(RunKind::Add, fullPaths);
}

void TForm2::refreshPicture() {
    const int current = currentVideo();
    if (busy_ || !album_.isValidIndex(current))
        return;
    refreshing_ = true;
    runVideos_ = {current};
    startThumbnails(RunKind::Refresh, {album_.fullPath(current)});
}

void TForm2::startThumbnails(RunKind kind, const QStringList& paths) {
    runKind_ = kind;
    runPaths_ = paths;
    runDropped_.clear();
    runDone_ = 0;
    runChanged_ = false;
    // Busy for the whole run: indexes of the run must not shift under it, and closing waits.
    busy_ = true;
    const QString count = kind == RunKind::Refresh ? QString() : QString::number(paths.size());
    setStatusTexts(QString(), count + kMakingThumbnails);
    if (kind != RunKind::Refresh)
        startProgress(int(paths.size()) - 1);
    // "旧レンダラー" takes the first frame the decoder gives; otherwise the frame at about half
    // a second, as the player shows it.
    const auto point =
        state_.rendererCapable ? media::GrabPoint::HalfSecond : media::GrabPoint::FirstFrame;
    run_ = pool_->start(paths, point);
}

void TForm2::thumbnailMade(int run, int index, const media::Thumbnail& thumbnail) {
    if (run != run_)
        return;
    switch (runKind_) {
    case RunKind::Show:
        showMade(index, thumbnail);
        break;
    case RunKind::Add:
        addMade(index, thumbnail);
        break;
    case RunKind::Refresh:
        // A refresh that fails keeps the old picture and asks nothing.
        if (thumbnail.built()) {
            album_.setPicture(runVideos_.at(index), thumbnail.jpeg);
            runChanged_ = true;
        }
        break;
    case RunKind::None:
        return;
    }
    stepProgress(++runDone_);
}

bool TForm2::keepUnreadable(const QString& fullPath, const media::Thumbnail& thumbnail) {
    return keepUnreadableFile(fullPath, thumbnail.outcome == media::GrabOutcome::Partial,
                              state_.skipUnreadable, dialogs_);
}

void TForm2::showMade(int index, const media::Thumbnail& thumbnail) {
    const int video = runVideos_.at(index);
    runChanged_ = true;
    if (thumbnail.built())
        album_.setPicture(video, thumbnail.jpeg);
    else if (keepUnreadable(runPaths_.at(index), thumbnail))
        album_.setPicture(video, jpeg::encode(imagefunc::placeholderPicture()));
    else
        runDropped_.append(video);
}

void TForm2::addMade(int index, const media::Thumbnail& thumbnail) {
    const QString& path = runPaths_.at(index);
    QByteArray jpeg = thumbnail.jpeg;
    if (!thumbnail.built()) {
        if (!keepUnreadable(path, thumbnail))
            return;
        jpeg = jpeg::encode(imagefunc::placeholderPicture());
    }
    album_.append(album_.entryFor(path), jpeg);
    runChanged_ = true;
    // New cells show as they come; the full layout follows at the end.
    if (album_.count() == 1 || album_.count() % 16 == 0)
        grid_->layOut();
}

void TForm2::thumbnailsFinished(int run) {
    if (run != run_)
        return;
    const RunKind kind = runKind_;
    runKind_ = RunKind::None;
    switch (kind) {
    case RunKind::Show:
        finishShow();
        break;
    case RunKind::Add:
        finishAdd();
        break;
    case RunKind::Refresh:
        if (runChanged_)
            album_.saveStore(dialogs_);
        setStatusTexts(QString(), QString());
        refreshing_ = false;
        busy_ = false;
        Q_EMIT pictureRefreshed();
        break;
    case RunKind::None:
        break;
    }
}

void TForm2::finishShow() {
    const int current = currentVideo();
    album_.removeAll(runDropped_);
    afterAlbumChange();
    setCurrentVideo(std::min(std::max(current, 0), album_.lastIndex()));
    busy_ = false;
    Q_EMIT albumReady();
}

void TForm2::finishAdd() {
    afterAlbumChange();
    setCurrentVideo(album_.lastIndex());
    busy_ = false;
    Q_EMIT filesAdded();
}

void TForm2::afterAlbumChange() {
    layOutGrid();
    if (runChanged_) {
        applyEmptyMediumRule();
        saveAlbum();
        saveMarks();
    }
    updateCaption();
    endProgress();
    setStatusTexts(QString(), QString());
}

void TForm2::applyEmptyMediumRule() {
    if (!album_.isMediaMode() || album_.count() > 0 || album_.medium() == MediumRecord{})
        return;
    album_.setMedium(MediumRecord{}, album_.driveRoot());
    if (host_ != nullptr)
        host_->albumRecordChanged(album_.bookIndex(), MediumRecord{});
}

bool TForm2::replaceCurrentPicture(const QImage& picture) {
    const int current = currentVideo();
    QImage thumbnail;
    if (!album_.isValidIndex(current) || !imagefunc::fitThumbnail(picture, thumbnail))
        return false;
    if (!album_.setBitmap(current, thumbnail))
        return false;
    album_.saveStore(dialogs_);
    return true;
}

void TForm2::pictureFromFile() {
    if (busy_ || !album_.isValidIndex(currentVideo()))
        return;
    const auto path = dialogs_.openFile(QString(), album_.bookPaths().imagesFolder,
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

void TForm2::pictureFromClipboard() {
    if (busy_ || !album_.isValidIndex(currentVideo()))
        return;
    const QImage picture = QGuiApplication::clipboard()->image();
    if (!picture.isNull())
        replaceCurrentPicture(picture);
}

void TForm2::setAsAlbumPicture() {
    const int current = currentVideo();
    if (!album_.isValidIndex(current) || album_.needsThumbnail(current) || host_ == nullptr)
        return;
    host_->setAlbumPicture(album_.bookIndex(), album_.pictureBytes(current));
}

} // namespace tavimo
