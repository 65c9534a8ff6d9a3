#pragma once

#include <QImage>

struct mpv_handle;

namespace tavimo::media {

// The video frame libmpv shows, unscaled by the window but stretched to its display aspect and
// cut by its video filters; null when libmpv has none or answers in another pixel format.
QImage mpvScreenshot(mpv_handle* mpv);

} // namespace tavimo::media
