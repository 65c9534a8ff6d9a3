#pragma once

#include "core/BookMode.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// How names and queries are compared. Both are folded the same way, so that letter case, full
// and half width (NFKC) and hiragana against katakana make no difference, and kept as UTF-8:
// a valid UTF-8 word can only match a valid UTF-8 name at character boundaries, so a plain
// byte search finds exactly the character matches.
namespace tavimo::searchtext {

// Text folded for matching: NFKC, case folding, katakana as hiragana.
QString fold(QStringView text);

// Appends the UTF-8 of fold(text) to key and answers the signature of what it appended;
// wide, when given, gets the wide signature of it.
uint64_t appendKey(QStringView text, std::string& key, uint64_t* wide = nullptr);

// The folded UTF-8 of text.
std::string key(QStringView text);

// A signature has one bit per class of characters: a name can hold a word only if its
// signature holds every bit of the word's. Letters and digits have a bit each; hiragana,
// other ASCII and other characters share the rest.
uint64_t characterBit(char32_t c);
uint64_t signature(std::string_view key);
// The wide signature tells characters beyond ASCII apart more finely: 64 classes of them
// alone, where the signature has 25 for them beside the letters and digits. It is kept only
// as the names of each class (SearchAlbum::namesWithWide), to find the names a text of
// kana or kanji may be in.
inline uint64_t wideBit(char32_t c) {
    return c < 0x80 ? 0 : uint64_t(1) << ((c * 2246822519u) >> 26);
}
uint64_t wideSignature(std::string_view key);
// The first four bytes of a key as one number, zeros after a shorter key. Keys hold no zero
// byte, so a word of up to four bytes starts a key exactly when its bytes are those of the
// key's prefix.
inline uint32_t prefixOf(std::string_view key) {
    uint32_t prefix = 0;
    std::memcpy(&prefix, key.data(), std::min<size_t>(key.size(), 4));
    return prefix;
}

// The bits of characters beyond ASCII: a name whose signature has none is plain ASCII.
inline constexpr uint64_t kNonAsciiBits = ~((uint64_t(1) << 39) - 1);
// True when a word of this one character is held exactly by the names with its bit.
inline bool hasOwnBit(std::string_view key) {
    return key.size() == 1 && ((key[0] >= 'a' && key[0] <= 'z') ||
                               (key[0] >= '0' && key[0] <= '9') || key[0] == '_' || key[0] == '-');
}

// The characters of a UTF-8 key, one after the other; pos moves past the one answered.
// A broken sequence reads as U+FFFD one byte at a time.
inline char32_t nextCharacter(std::string_view key, size_t& pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(key[i]); };
    const unsigned char b = byte(pos);
    if (b < 0x80) {
        ++pos;
        return b;
    }
    const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
    if (length == 0 || pos + length > key.size()) {
        ++pos;
        return 0xFFFD;
    }
    char32_t c = b & (0x3F >> (length - 1));
    for (size_t k = 1; k < length; ++k) {
        if ((byte(pos + k) & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        c = c << 6 | (byte(pos + k) & 0x3F);
    }
    pos += length;
    return c;
}

// True when key holds needle. Names are short and needles are mostly Japanese, whose UTF-8
// shares a few first bytes: the search looks for the needle's last byte, which varies most.
inline bool contains(std::string_view key, std::string_view needle) {
    const size_t m = needle.size();
    if (m == 0)
        return true;
    if (m > key.size())
        return false;
    const char last = needle[m - 1];
    const char* end = key.data() + key.size();
    for (const char* p = key.data() + m - 1; p < end; ++p) {
        p = static_cast<const char*>(std::memchr(p, last, size_t(end - p)));
        if (!p)
            return false;
        if (std::memcmp(p - (m - 1), needle.data(), m - 1) == 0)
            return true;
    }
    return false;
}

// The same for a key that at least 15 readable bytes follow (a name of an album, see
// SearchAlbum::kKeyPadding): sixteen places at a time are compared with the needle's first
// and last bytes, and the bytes between only where both agree. Names are a few dozen bytes,
// too short for a call to memchr to pay.
inline bool containsPadded(std::string_view key, std::string_view needle) {
#if defined(__SSE2__)
    const size_t m = needle.size();
    if (m == 0)
        return true;
    if (m > key.size())
        return false;
    const size_t lastStart = key.size() - m;
    const char* p = key.data();
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[m - 1]);
    for (size_t i = 0; i <= lastStart; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + m - 1));
        unsigned both = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        // Places past the last start compare bytes after the key.
        if (lastStart - i < 15)
            both &= (2u << (lastStart - i)) - 1;
        for (; both != 0; both &= both - 1) {
            const char* at = p + i + size_t(__builtin_ctz(both));
            size_t k = 1;
            while (k + 1 < m && at[k] == needle[k])
                ++k;
            if (k + 1 >= m)
                return true;
        }
    }
    return false;
#else
    return contains(key, needle);
#endif
}

// The words of a query, folded, in the order typed. Any kind of space separates them (the
// ideographic space folds to a plain one); a word given twice counts once.
QStringList words(QStringView query);

// True when a folded word is made of Latin letters alone: it may be romaji.
bool isLatinWord(QStringView word);

// An album line split into the folder part (with its last separator) and the file name, as
// entryFile reads it: '\' separates folders in media entries and in Windows paths ("C:\v\a.avi").
// The parts are views into entry.
struct EntryParts {
    QStringView folder;
    QStringView name;
};
EntryParts splitEntry(const QString& entry, BookMode mode);

} // namespace tavimo::searchtext
