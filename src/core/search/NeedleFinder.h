#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavimo {

// Finds a text in a long buffer of names. At sixteen places at once it compares the text's
// first and last bytes, and the bytes between only where both agree: in UTF-8 Japanese the
// first byte is shared by thousands of characters, but first and last together rarely are.
class NeedleFinder {
public:
    explicit NeedleFinder(std::string_view needle) : needle_(needle) {}

    // The first place at or after from where the text begins; npos when there is none.
    size_t find(std::string_view hay, size_t from) const {
        const size_t m = needle_.size();
        if (m == 0 || hay.size() < m)
            return m == 0 ? from : std::string_view::npos;
        const size_t lastStart = hay.size() - m;
        const char* p = hay.data();
        size_t i = from;
#if defined(__SSE2__)
        const __m128i first = _mm_set1_epi8(needle_[0]);
        const __m128i last = _mm_set1_epi8(needle_[m - 1]);
        for (; i + 15 <= lastStart; i += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + m - 1));
            // One bit per place where both bytes agree, visited lowest first.
            for (unsigned both = unsigned(_mm_movemask_epi8(
                     _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
                 both != 0; both &= both - 1) {
                const size_t at = i + size_t(__builtin_ctz(both));
                if (middleMatches(p + at))
                    return at;
            }
        }
#endif
        for (; i <= lastStart; ++i)
            if (p[i] == needle_[0] && p[i + m - 1] == needle_[m - 1] && middleMatches(p + i))
                return i;
        return std::string_view::npos;
    }

private:
    bool middleMatches(const char* at) const {
        // Most texts are a few characters long: a call to memcmp would cost more than this.
        for (size_t k = 1; k + 1 < needle_.size(); ++k)
            if (at[k] != needle_[k])
                return false;
        return true;
    }

    std::string_view needle_;
};

} // namespace tavimo
