#include "core/JpegCodec.h"

#include <turbojpeg.h>

namespace tavimo::jpeg {

namespace {

// TurboJPEG handles are not thread-safe; each thread keeps one of each kind for its lifetime.
struct Handle {
    tjhandle (*make)();
    tjhandle handle;
    explicit Handle(tjhandle (*maker)()) : make(maker), handle(maker()) {}
    ~Handle() {
        if (handle != nullptr)
            tjDestroy(handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    // A decoder that failed on a corrupt stream can stay in a state where it refuses the next,
    // good stream; a fresh handle is cheap compared with losing a picture.
    void renew() {
        if (handle != nullptr)
            tjDestroy(handle);
        handle = make();
    }
};

Handle& decompressorHandle() {
    thread_local Handle h(tjInitDecompress);
    return h;
}

tjhandle decompressor() {
    return decompressorHandle().handle;
}

tjhandle compressor() {
    thread_local Handle h(tjInitCompress);
    return h.handle;
}

const unsigned char* bytesOf(QByteArrayView bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.data());
}

} // namespace

bool looksLikeJpeg(QByteArrayView bytes) {
    return bytes.size() >= 3 && quint8(bytes[0]) == 0xFF && quint8(bytes[1]) == 0xD8 &&
           quint8(bytes[2]) == 0xFF;
}

std::optional<QSize> readSize(QByteArrayView bytes) {
    tjhandle h = decompressor();
    if (h == nullptr || !looksLikeJpeg(bytes))
        return std::nullopt;
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(h, bytesOf(bytes), static_cast<unsigned long>(bytes.size()), &width,
                            &height, &subsampling, &colorspace) != 0) {
        decompressorHandle().renew();
        return std::nullopt;
    }
    if (width <= 0 || height <= 0)
        return std::nullopt;
    return QSize(width, height);
}

QImage decode(QByteArrayView bytes) {
    const std::optional<QSize> size = readSize(bytes);
    if (!size || qint64(size->width()) * size->height() > kMaxPixels)
        return {};
    QImage image(*size, QImage::Format_RGB888);
    if (image.isNull())
        return {};
    // LIMITSCANS: a crafted progressive JPEG with thousands of scans would otherwise take
    // minutes to decode.
    const int rc = tjDecompress2(
        decompressor(), bytesOf(bytes), static_cast<unsigned long>(bytes.size()), image.bits(),
        image.width(), int(image.bytesPerLine()), image.height(), TJPF_RGB, TJFLAG_LIMITSCANS);
    // A warning (such as data ending early) still leaves a picture, as other viewers show it.
    if (rc != 0 && tjGetErrorCode(decompressor()) == TJERR_FATAL) {
        decompressorHandle().renew();
        return {};
    }
    return image;
}

QByteArray encode(const QImage& image, int quality) {
    tjhandle h = compressor();
    if (h == nullptr || image.isNull())
        return {};
    const QImage rgb = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const int rc = tjCompress2(h, rgb.constBits(), rgb.width(), int(rgb.bytesPerLine()),
                               rgb.height(), TJPF_RGB, &out, &outSize, TJSAMP_420, quality, 0);
    QByteArray result;
    if (rc == 0 && out != nullptr)
        result = QByteArray(reinterpret_cast<const char*>(out), qsizetype(outSize));
    tjFree(out);
    return result;
}

} // namespace tavimo::jpeg
