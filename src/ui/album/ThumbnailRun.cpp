#include "ui/album/ThumbnailRun.h"

#include "core/Album.h"
#include "core/AlbumShowing.h"
#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "media/ThumbnailPool.h"

namespace tavimo {

ThumbnailRun::ThumbnailRun(Album& album, const AppState& state, DialogService& dialogs,
                           QObject* parent)
    : QObject(parent), album_(album), state_(state), dialogs_(dialogs),
      pool_(std::make_unique<media::ThumbnailPool>()) {
    connect(pool_.get(), &media::ThumbnailPool::made, this, &ThumbnailRun::made);
    connect(pool_.get(), &media::ThumbnailPool::finished, this, &ThumbnailRun::runFinished);
}

// The pool's workers post to it; it goes before the album they might be applied to.
ThumbnailRun::~ThumbnailRun() = default;

void ThumbnailRun::startShow() {
    ids_.clear();
    hints_.clear();
    QStringList paths;
    for (int i : albumshow::videosWithoutPicture(album_)) {
        ids_.append(album_.rowId(i));
        hints_.append(i);
        paths.append(album_.fullPath(i));
    }
    start(Kind::Show, paths);
}

void ThumbnailRun::startAdd(const QStringList& fullPaths) {
    if (isAddingFiles() || fullPaths.isEmpty())
        return;
    ids_.clear();
    hints_.clear();
    start(Kind::Add, fullPaths);
}

void ThumbnailRun::startRefresh(int video) {
    // A file not of this system (or of an absent medium) has no picture to make.
    if (isAddingFiles() || !album_.isLocalFile(video))
        return;
    ids_ = {album_.rowId(video)};
    hints_ = {video};
    start(Kind::Refresh, {album_.fullPath(video)});
}

void ThumbnailRun::cancel() {
    pool_->cancel();
    kind_ = Kind::None;
    showPending_ = false;
}

void ThumbnailRun::start(Kind kind, const QStringList& paths) {
    // Only one run uses the pool; pictures still missing at show time are made afterwards.
    if (kind_ == Kind::Show && kind != Kind::Show)
        showPending_ = true;
    kind_ = kind;
    paths_ = paths;
    dropped_.clear();
    done_ = 0;
    Q_EMIT started(kind, int(paths.size()));
    // "旧レンダラー" takes the first frame the decoder gives; otherwise the frame at about half
    // a second, as the player shows it.
    const auto point =
        state_.rendererCapable ? media::GrabPoint::HalfSecond : media::GrabPoint::FirstFrame;
    run_ = pool_->start(paths, point);
}

bool ThumbnailRun::keepUnreadable(const QString& fullPath, const media::Thumbnail& thumbnail) {
    if (state_.skipUnreadable)
        return false;
    const bool partly = thumbnail.outcome == media::GrabOutcome::Partial;
    return dialogs_.message(exclusionQuestion(fullPath, partly), DialogService::Buttons::YesNo,
                            DialogService::Icon::Question) == DialogService::Answer::No;
}

void ThumbnailRun::made(int run, int index, const media::Thumbnail& thumbnail) {
    if (run != run_ || kind_ == Kind::None)
        return;
    if (kind_ == Kind::Add) {
        QByteArray jpeg = thumbnail.jpeg;
        if (!thumbnail.built()) {
            if (!keepUnreadable(paths_.at(index), thumbnail)) {
                Q_EMIT stepped(++done_);
                return;
            }
            jpeg = jpeg::encode(imagefunc::placeholderPicture());
        }
        album_.appendMade(album_.entryFor(paths_.at(index)), jpeg);
    } else {
        const int video = album_.indexOf(ids_.at(index), hints_.at(index));
        // A video the user removed meanwhile needs no picture.
        if (video >= 0) {
            // A picture the user asked for is saved as soon as any change; the ones a run makes
            // for videos without one may follow later.
            if (thumbnail.built() && kind_ == Kind::Refresh)
                album_.setPicture(video, thumbnail.jpeg);
            else if (thumbnail.built())
                album_.setMadePicture(video, thumbnail.jpeg);
            // A refresh that fails keeps the old picture and asks nothing.
            else if (kind_ == Kind::Show) {
                if (keepUnreadable(paths_.at(index), thumbnail))
                    album_.setMadePicture(video, jpeg::encode(imagefunc::placeholderPicture()));
                else
                    dropped_.append(ids_.at(index));
            }
        }
    }
    Q_EMIT stepped(++done_);
}

void ThumbnailRun::runFinished(int run) {
    if (run != run_ || kind_ == Kind::None)
        return;
    const Kind kind = kind_;
    kind_ = Kind::None;
    QList<int> gone;
    for (quint64 id : std::as_const(dropped_))
        if (const int video = album_.indexOf(id); video >= 0)
            gone.append(video);
    album_.removeAll(gone);
    dropped_.clear();
    Q_EMIT finished(kind);
    if (kind != Kind::Show && showPending_ && kind_ == Kind::None) {
        showPending_ = false;
        startShow();
    }
}

} // namespace tavimo
