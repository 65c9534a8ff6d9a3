#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

namespace tavimo::capture {

// The video's own size as the picture on screen shows it: the rows and columns left by a
// crop (source rectangle) when there is one, else the whole video.
QSize ownPictureSize(QSize videoSize, const QRect& crop);

// A picture taken from the screen (the displayed size) becomes the capture: as it is, or, with
// "オリジナルサイズ", area-averaged to the video's own size. Null when nothing was taken or the
// own size is unknown.
QImage fromShownPicture(const QImage& shown, QSize ownSize, bool originalSize);

// A frame decoded at the video's own size becomes the capture: cut to the crop the player
// shows, then as it is with "オリジナルサイズ", or else brought to the displayed size by
// Lanczos-3. Null when there is no frame or no displayed size to bring it to.
QImage fromDecodedFrame(const QImage& frame, const QRect& crop, QSize shownSize, bool originalSize);

} // namespace tavimo::capture
