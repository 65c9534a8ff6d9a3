#pragma once

#include "core/search/SearchText.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavimo {

class RomajiReading;

// One word of a query with every text it may stand for: itself and, for a word of Latin
// letters, its romaji readings. A name holds the word when it holds any of those texts.
class WordPattern {
public:
    // The folded word; readings are folded here. Readings in ASCII alone are left out, and
    // one that holds a shorter one adds nothing and is dropped. A word with many texts is
    // matched by reading a name's characters once against a table of them, so thousands of
    // readings cost little more than a few.
    explicit WordPattern(const QString& word, const QStringList& readings = {});

    const QString& word() const { return word_; }
    // The only text the word stands for, when it stands for one.
    const std::string* onlyText() const {
        return table_.empty() && direct_.size() == 1 ? &direct_.front().key : nullptr;
    }
    // False when the signature shows that the name holds none of the texts.
    bool mayMatch(uint64_t signature) const;
    bool matches(std::string_view key, uint64_t signature) const;
    bool startsWith(std::string_view key) const;
    // Bits every name that holds the word has.
    uint64_t requiredBits() const { return required_; }
    // How many texts the word stands for after folding and dropping those that add nothing.
    int textCount() const { return singleCount_ + int(direct_.size() + texts_.size()); }

private:
    struct Text {
        std::string key;
        uint64_t bits;
        char32_t first;
    };
    // For a word with many texts: flags of the characters from U+0080 to U+FFFF.
    enum : unsigned { kSingle = 1, kFirst = 2 };

    bool matchesAt(std::string_view key, size_t pos, char32_t c) const;
    static std::vector<uint64_t> minimalSets(const std::vector<Text>& texts);

    QString word_;
    // Texts searched for one by one: all of them, or with a table those that begin in ASCII.
    std::vector<Text> direct_;
    // With a table: the texts of two characters or more that begin beyond ASCII, by first
    // character; those of one character are flags of the table.
    std::vector<Text> texts_;
    // Bit sets that no other one is inside, of the direct texts and of the table's longer
    // ones; a list too long to be quicker than the table is left empty and not consulted.
    std::vector<uint64_t> directBits_;
    std::vector<uint64_t> tableBits_;
    bool checkTableBits_ = false;
    std::vector<char32_t> firsts_; // texts_'s first characters, for finding them
    // Two bits (kSingle, kFirst) for each character below U+10000: 16 KB, which stays in the
    // processor's nearest cache while the names are read.
    std::vector<uint64_t> table_;
    unsigned flagsOf(char32_t c) const { return unsigned(table_[c >> 5] >> ((c & 31) * 2)) & 3; }
    void setFlag(char32_t c, unsigned flag) { table_[c >> 5] |= uint64_t(flag) << ((c & 31) * 2); }
    std::vector<char32_t> astralSingles_;
    int singleCount_ = 0;
    uint64_t singleBits_ = 0; // of the one-character texts of the table
    uint64_t required_ = 0;
};

// Word patterns by word: typing makes the same words again and again, and finding the
// readings of a short word takes longer than matching it.
class WordPatternCache {
public:
    std::shared_ptr<const WordPattern> get(const QString& word, RomajiReading* romaji);
    void put(std::shared_ptr<const WordPattern> pattern);
    // Kept for good: the single letters, which every romaji text begins with and which take
    // the dictionary longest.
    void keep(std::shared_ptr<const WordPattern> pattern);
    // Forgets all but those kept (the readings changed).
    void clear() { patterns_.clear(); }

private:
    QHash<QString, std::shared_ptr<const WordPattern>> patterns_;
    QHash<QString, std::shared_ptr<const WordPattern>> kept_;
};

// A query as typed, ready for matching: its words must all be held by a name (AND), and a
// name "starts with the text" when it starts with the first word.
class SearchQuery {
public:
    SearchQuery() = default;
    // romaji and cache may be null.
    static SearchQuery compile(const QString& text, RomajiReading* romaji,
                               WordPatternCache* cache = nullptr);

    bool isEmpty() const { return words_.empty(); }
    const QString& text() const { return text_; }
    // The query's bits: a name whose signature lacks one cannot match.
    uint64_t requiredBits() const { return required_; }
    // The wide bits of its words of one text: a name that lacks one cannot match either.
    uint64_t requiredWideBits() const { return wideRequired_; }

    bool matches(std::string_view key, uint64_t signature) const {
        return (signature & required_) == required_ && matchesFrom<false>(0, key, signature);
    }
    // The same for a name of an album (SearchAlbum::key), which is read sixteen bytes at a
    // time, and for one whose signature has every bit of the query already.
    bool matchesName(std::string_view key, uint64_t signature) const {
        return matchesFrom<true>(0, key, signature);
    }
    // The words after the first plain one, for a name of an album already found to hold that
    // one.
    bool matchesRest(std::string_view key, uint64_t signature) const {
        return (signature & required_) == required_ && matchesFrom<true>(1, key, signature);
    }
    bool startsWith(std::string_view key) const {
        if (!firstPlain_)
            return words_.front()->startsWith(key);
        // Most names differ in their first byte; comparing it first saves a call.
        return !key.empty() && key[0] == (*firstPlain_)[0] && key.starts_with(*firstPlain_);
    }
    // Whether a name with this prefix (see searchtext::prefixOf) starts with the text: 1 or
    // 0, or -1 when only the name itself can tell.
    int startsWithPrefix(uint32_t prefix) const {
        if (!firstPlain_)
            return -1;
        if ((prefix & firstMask_) != firstPrefix_)
            return 0;
        return firstPlain_->size() <= 4 ? 1 : -1;
    }
    // The most selective word of one text, searched for first; null when every word has more.
    const std::string* primary() const { return plain_.empty() ? nullptr : plain_.front().key; }
    // The one character beyond ASCII that the query is, when it is one (a kana or a kanji
    // typed alone); 0 otherwise.
    char32_t onlyCharacter() const { return onlyCharacter_; }
    // True when the names with the query's bits are exactly those that match it.
    bool exactByBits() const { return patterns_.empty() && plainChecked_ == 0; }

private:
    struct Plain {
        const std::string* key;
        bool ownBit; // held by exactly the names with its bit: no need to look
    };

    template <bool Padded>
    bool matchesFrom(size_t firstPlain, std::string_view key, uint64_t signature) const {
        for (size_t k = firstPlain; k < plain_.size(); ++k)
            if (!plain_[k].ownBit && !(Padded ? searchtext::containsPadded(key, *plain_[k].key)
                                              : searchtext::contains(key, *plain_[k].key)))
                return false;
        for (const WordPattern* word : patterns_)
            if (!word->mayMatch(signature) || !word->matches(key, signature))
                return false;
        return true;
    }

private:
    QString text_;
    uint64_t required_ = 0;
    uint64_t wideRequired_ = 0;
    char32_t onlyCharacter_ = 0;
    std::vector<std::shared_ptr<const WordPattern>> words_; // as typed
    // Words of one text, longest (most selective) first, then the others, fewest texts first.
    std::vector<Plain> plain_;
    size_t plainChecked_ = 0; // plain words without their own bit
    std::vector<const WordPattern*> patterns_;
    const std::string* firstPlain_ = nullptr;
    uint32_t firstPrefix_ = 0; // the first word's first four bytes
    uint32_t firstMask_ = 0;   // the bytes of them that it has
};

} // namespace tavimo
