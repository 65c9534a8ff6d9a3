#include "media/MpvScreenshot.h"

#include <cstring>
#include <mpv/client.h>

namespace tavimo::media {

QImage mpvScreenshot(mpv_handle* mpv) {
    const char* args[] = {"screenshot-raw", "video", nullptr};
    mpv_node result;
    if (mpv_command_ret(mpv, args, &result) < 0)
        return {};
    QImage image;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        int64_t w = 0, h = 0, stride = 0;
        const mpv_byte_array* data = nullptr;
        bool bgr0 = false;
        const mpv_node_list* map = result.u.list;
        for (int i = 0; i < map->num; ++i) {
            const char* key = map->keys[i];
            const mpv_node& value = map->values[i];
            if (!std::strcmp(key, "w"))
                w = value.u.int64;
            else if (!std::strcmp(key, "h"))
                h = value.u.int64;
            else if (!std::strcmp(key, "stride"))
                stride = value.u.int64;
            else if (!std::strcmp(key, "format"))
                bgr0 = value.format == MPV_FORMAT_STRING && !std::strcmp(value.u.string, "bgr0");
            else if (!std::strcmp(key, "data") && value.format == MPV_FORMAT_BYTE_ARRAY)
                data = value.u.ba;
        }
        if (bgr0 && data && w > 0 && h > 0 && stride >= w * 4 &&
            data->size >= static_cast<size_t>(stride * h)) {
            image = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
            for (int y = 0; y < h && !image.isNull(); ++y) {
                const auto* src = static_cast<const uint32_t*>(data->data) + y * (stride / 4);
                auto* dst = reinterpret_cast<uint32_t*>(image.scanLine(y));
                for (int x = 0; x < w; ++x)
                    dst[x] = src[x] | 0xFF000000u; // bgr0 leaves the alpha byte 0
            }
        }
    }
    mpv_free_node_contents(&result);
    return image;
}

} // namespace tavimo::media
