#include "media/DecoderMemory.h"

#include <malloc.h>
#include <mutex>

namespace tavimo::media {

namespace {

// Blocks up to this size come from the heap rather than from a mapping of their own: a frame
// of the largest size decoded (4096 x 2304, 4:2:0) is 14 MB.
constexpr int kMapThreshold = 16 * 1024 * 1024;
// Free memory at the top of a heap is given back only past this: about two files' worth of
// decoding, which bounds what an idle worker keeps.
constexpr int kTrimThreshold = 32 * 1024 * 1024;

} // namespace

void keepDecoderMemory() {
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, kMapThreshold);
        mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
    });
}

} // namespace tavimo::media
