#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tavimo {

// Finds a text in a long buffer of names. At sixteen places at once it compares the text's
// first and last bytes, and the bytes between only where both agree: in UTF-8 Japanese the
// first byte is shared by thousands of characters, but first and last together rarely are.
class NeedleFinder {
    using Lanes = char __attribute__((vector_size(16)));

public:
    explicit NeedleFinder(std::string_view needle)
        : needle_(needle), first_(spread(needle.empty() ? '\0' : needle.front())),
          last_(spread(needle.empty() ? '\0' : needle.back())) {}

    // The first place at or after from where the text begins; npos when there is none.
    size_t find(std::string_view hay, size_t from) const {
        const size_t m = needle_.size();
        if (m == 0 || hay.size() < m)
            return m == 0 ? from : std::string_view::npos;
        const size_t lastStart = hay.size() - m;
        const char* p = hay.data();
        size_t i = from;
        for (; i + 15 <= lastStart; i += 16) {
            Lanes a, b;
            std::memcpy(&a, p + i, 16);
            std::memcpy(&b, p + i + m - 1, 16);
            const Lanes both = (a == first_) & (b == last_);
            uint64_t halves[2];
            std::memcpy(halves, &both, 16);
            if ((halves[0] | halves[1]) == 0)
                continue;
            for (size_t k = 0; k < 16; ++k)
                if (both[k] && middleMatches(p + i + k))
                    return i + k;
        }
        for (; i <= lastStart; ++i)
            if (p[i] == needle_[0] && p[i + m - 1] == needle_[m - 1] && middleMatches(p + i))
                return i;
        return std::string_view::npos;
    }

private:
    static Lanes spread(char c) { return Lanes{c, c, c, c, c, c, c, c, c, c, c, c, c, c, c, c}; }
    bool middleMatches(const char* at) const {
        return needle_.size() <= 2 ||
               std::memcmp(at + 1, needle_.data() + 1, needle_.size() - 2) == 0;
    }

    std::string_view needle_;
    Lanes first_; // the first byte in every lane
    Lanes last_;
};

} // namespace tavimo
