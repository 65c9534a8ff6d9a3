// libFuzzer target for the packed store reader: any bytes must load without a crash, a leak or
// an unbounded allocation, and what loads must save and load again to the same store.
// Built only with clang and -DTAVIMO_FUZZ=ON; scripts/fuzz.sh builds and runs it.

#include "core/JpegCodec.h"
#include "core/Tpackedjpg.h"

#include <cstdint>
#include <cstdlib>

using namespace tavimo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Tpackedjpg store;
    store.reset(3);
    if (!store.loadFromBytes(bytes)) {
        if (store.count() != 3) // a refused file leaves the store as it was
            std::abort();
        return 0;
    }

    const QByteArray saved = store.saveToBytes(QStringLiteral("fuzz"));
    Tpackedjpg again;
    if (!again.loadFromBytes(saved) || again.count() != store.count() ||
        again.saveToBytes(QStringLiteral("fuzz")) != saved)
        std::abort();

    // Decode a few of the pictures; large ones only cost time, not coverage.
    int decoded = 0;
    for (int i = 0; i < store.count() && decoded < 4; ++i) {
        QByteArray jpeg;
        if (!store.getPicture(i, jpeg) || jpeg.isEmpty())
            continue;
        const std::optional<QSize> pictureSize = jpeg::readSize(jpeg);
        if (pictureSize && qint64(pictureSize->width()) * pictureSize->height() <= (1 << 20)) {
            QImage bitmap;
            store.getBitmap(i, bitmap);
            ++decoded;
        }
    }
    return 0;
}
