// What the player shows of the file's video: its sizes, the crop, where the picture goes in
// the surface, and the picture itself.
#include "media/MpvPlayer.h"
#include "media/MpvScreenshot.h"

#include <cmath>

namespace tavimo::media {

int MpvPlayer::videoWidth() const {
    const TrackFacts* v = file_.facts.firstVideo();
    if (!v || !v->decodable)
        return 0;
    return v->rotation % 180 ? v->size.height() : v->size.width();
}

int MpvPlayer::videoHeight() const {
    const TrackFacts* v = file_.facts.firstVideo();
    if (!v || !v->decodable)
        return 0;
    return v->rotation % 180 ? v->size.width() : v->size.height();
}

QSize MpvPlayer::displaySize() const {
    const TrackFacts* v = file_.facts.firstVideo();
    return v && v->decodable ? v->displaySize : QSize();
}

qint64 MpvPlayer::frameDuration() const {
    const TrackFacts* v = file_.facts.firstVideo();
    if (!v || v->frameRate <= 0)
        return 0;
    return static_cast<qint64>(std::llround(10'000'000.0 / v->frameRate));
}

QRect MpvPlayer::codedRect(const QRect& shown) const {
    const TrackFacts* v = file_.facts.firstVideo();
    const int w = v->size.width(), h = v->size.height();
    switch (v->rotation) {
    case 90:
        return {shown.y(), h - shown.x() - shown.width(), shown.height(), shown.width()};
    case 180:
        return {w - shown.x() - shown.width(), h - shown.y() - shown.height(), shown.width(),
                shown.height()};
    case 270:
        return {w - shown.y() - shown.height(), shown.x(), shown.height(), shown.width()};
    default:
        return shown;
    }
}

bool MpvPlayer::setCropRect(const QRect& rect) {
    const QRect whole(0, 0, videoWidth(), videoHeight());
    if (!file_.loaded || whole.isEmpty())
        return false;
    if (rect.isEmpty() || rect == whole) {
        if (file_.crop.isValid())
            command({"vf", "remove", "@crop"});
        file_.crop = {};
        return true;
    }
    if (!whole.contains(rect))
        return false;
    file_.crop = rect;
    const QRect c = codedRect(rect);
    const QByteArray filter = QStringLiteral("@crop:lavfi-crop=w=%1:h=%2:x=%3:y=%4")
                                  .arg(c.width())
                                  .arg(c.height())
                                  .arg(c.x())
                                  .arg(c.y())
                                  .toLatin1();
    command({"vf", "remove", "@crop"});
    command({"vf", "add", filter.constData()});
    return true;
}

void MpvPlayer::setPictureRect(const QRect& rect) {
    if (rect == pictureRect_)
        return;
    pictureRect_ = rect;
    Q_EMIT pictureRectChanged(rect);
}

QImage MpvPlayer::screenshot() const {
    if (!file_.loaded || !file_.facts.firstVideo())
        return {};
    return mpvScreenshot(mpv_);
}

QImage MpvPlayer::currentPicture() const {
    // libmpv hands the picture stretched to its aspect; the video's own size is unstretched.
    const QImage shown = screenshot();
    QSize own(videoWidth(), videoHeight());
    if (file_.crop.isValid())
        own = file_.crop.size();
    if (shown.isNull() || own.isEmpty() || shown.size() == own)
        return shown;
    return shown.scaled(own, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage MpvPlayer::displayedPicture() const {
    const QImage own = currentPicture();
    if (own.isNull() || pictureRect_.isEmpty() || own.size() == pictureRect_.size())
        return own;
    return own.scaled(pictureRect_.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace tavimo::media
