// libFuzzer target for the reader of preview strips in the cache: any bytes must be read
// without a crash, a leak or an unbounded allocation, and a strip that is accepted must read
// back the same once its pictures are written again under the same name.
// Built only with clang and -DTAVIMO_FUZZ=ON; scripts/fuzz.sh builds and runs it.

#include "core/PreviewStripCache.h"
#include "core/Tpackedjpg.h"

#include <cstdint>
#include <cstdlib>

using namespace tavimo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QList<QByteArray>> strip = PreviewStripCache::readStrip(bytes);
    if (!strip)
        return 0;
    if (strip->size() != PreviewStripCache::kFrames)
        std::abort();
    Tpackedjpg store;
    for (const QByteArray& frame : *strip)
        store.addPicture(frame);
    const QByteArray name = bytes.mid(5, 49); // the key's hash, '-', the pictures' digest
    const std::optional<QList<QByteArray>> again =
        PreviewStripCache::readStrip(store.saveToBytes(QString::fromLatin1(name)));
    if (!again || *again != *strip)
        std::abort();
    return 0;
}
