#include "media/MediaLibraries.h"

extern "C" {
#include <libavformat/avformat.h>
#include <mpv/client.h>
}

namespace tavimo::media {

QString libraryVersions() {
    const unsigned long mpv = mpv_client_api_version();
    return QStringLiteral("libavformat %1, mpv client API %2.%3")
        .arg(QString::fromLatin1(AV_STRINGIFY(LIBAVFORMAT_VERSION)))
        .arg(mpv >> 16)
        .arg(mpv & 0xFFFF);
}

} // namespace tavimo::media
