#include "core/search/SearchQuery.h"

#include "core/search/RomajiReading.h"

#include <algorithm>
#include <bit>

namespace tavimo {

namespace {

// Up to this many texts a plain search for each is quicker than reading every character of
// a name against a table.
constexpr size_t kPlainTexts = 8;

bool inside(uint64_t bits, uint64_t signature) {
    return (bits & ~signature) == 0;
}

char32_t firstCharacter(std::string_view key) {
    size_t pos = 0;
    return searchtext::nextCharacter(key, pos);
}

bool isSingleCharacter(std::string_view key) {
    size_t pos = 0;
    searchtext::nextCharacter(key, pos);
    return pos == key.size();
}

} // namespace

WordPattern::WordPattern(const QString& word, const QStringList& readings) : word_(word) {
    std::vector<std::string> keys{searchtext::key(word)};
    // A reading all in ASCII is a symbol or an English word of the dictionary ("." for "k",
    // "kenwood"), not how a Japanese name reads: "." alone would match every name.
    for (const QString& reading : readings)
        if (std::string key = searchtext::key(reading);
            std::any_of(key.begin(), key.end(), [](char c) { return uchar(c) >= 0x80; }))
            keys.push_back(std::move(key));
    // Shortest first, so that a text holding a kept one comes after it.
    std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    keys.erase(std::remove(keys.begin(), keys.end(), std::string()), keys.end());

    // With many texts, those beginning beyond ASCII go into a table read a character at a
    // time; the one-character ones need nothing else.
    const bool useTable = keys.size() > kPlainTexts;
    const auto inTable = [&](const std::string& key) { return useTable && uchar(key[0]) >= 0x80; };
    if (useTable) {
        table_.assign(0x10000 / 32, 0);
        for (const std::string& key : keys) {
            if (!inTable(key) || !isSingleCharacter(key))
                continue;
            const char32_t c = firstCharacter(key);
            if (c < 0x10000)
                setFlag(c, kSingle);
            else
                astralSingles_.push_back(c);
            singleBits_ |= searchtext::characterBit(c);
            ++singleCount_;
        }
    }
    const auto heldBySingle = [&](std::string_view key) {
        for (size_t pos = 0; useTable && pos < key.size();) {
            const char32_t c = searchtext::nextCharacter(key, pos);
            if (c < 0x10000 ? flagsOf(c) == kSingle
                            : std::find(astralSingles_.begin(), astralSingles_.end(), c) !=
                                  astralSingles_.end())
                return true;
        }
        return false;
    };
    const auto heldByKept = [&](const std::string& key) {
        const auto holds = [&](const Text& kept) { return searchtext::contains(key, kept.key); };
        return std::any_of(direct_.begin(), direct_.end(), holds) ||
               std::any_of(texts_.begin(), texts_.end(), holds);
    };
    for (const std::string& key : keys) {
        if ((inTable(key) && isSingleCharacter(key)) || heldBySingle(key) || heldByKept(key))
            continue;
        (inTable(key) ? texts_ : direct_)
            .push_back({key, searchtext::signature(key), firstCharacter(key)});
    }
    std::stable_sort(texts_.begin(), texts_.end(),
                     [](const Text& a, const Text& b) { return a.first < b.first; });
    for (const Text& text : texts_) {
        firsts_.push_back(text.first);
        if (text.first < 0x10000)
            setFlag(text.first, kFirst);
    }

    directBits_ = minimalSets(direct_);
    tableBits_ = minimalSets(texts_);
    checkTableBits_ = tableBits_.size() <= kPlainTexts;

    // What every text has in common; a single character's bit is all it has.
    required_ = ~uint64_t(0);
    if (singleCount_ > 0)
        required_ = std::popcount(singleBits_) == 1 ? singleBits_ : 0;
    for (const Text& text : direct_)
        required_ &= text.bits;
    for (const Text& text : texts_)
        required_ &= text.bits;
}

std::vector<uint64_t> WordPattern::minimalSets(const std::vector<Text>& texts) {
    std::vector<uint64_t> sets;
    for (const Text& text : texts)
        sets.push_back(text.bits);
    std::sort(sets.begin(), sets.end(),
              [](uint64_t a, uint64_t b) { return std::popcount(a) < std::popcount(b); });
    std::vector<uint64_t> minimal;
    for (uint64_t bits : sets)
        if (std::none_of(minimal.begin(), minimal.end(),
                         [&](uint64_t kept) { return inside(kept, bits); }))
            minimal.push_back(bits);
    return minimal;
}

bool WordPattern::mayMatch(uint64_t signature) const {
    const auto anyInside = [&](const std::vector<uint64_t>& sets) {
        return std::any_of(sets.begin(), sets.end(),
                           [&](uint64_t bits) { return inside(bits, signature); });
    };
    if (anyInside(directBits_))
        return true;
    // The table's texts are all beyond ASCII.
    if (table_.empty() || !(signature & searchtext::kNonAsciiBits))
        return false;
    return (signature & singleBits_) || !checkTableBits_ || anyInside(tableBits_);
}

// Whether a text of the table begins at pos, whose character (beyond ASCII) is c.
bool WordPattern::matchesAt(std::string_view key, size_t pos, char32_t c) const {
    if (c >= 0x10000) {
        if (std::find(astralSingles_.begin(), astralSingles_.end(), c) != astralSingles_.end())
            return true;
    } else {
        const unsigned flags = flagsOf(c);
        if (flags & kSingle)
            return true;
        if (!(flags & kFirst))
            return false;
    }
    const auto [from, to] = std::equal_range(firsts_.begin(), firsts_.end(), c);
    const std::string_view rest = key.substr(pos);
    for (auto k = from - firsts_.begin(); k < to - firsts_.begin(); ++k)
        if (rest.starts_with(texts_[size_t(k)].key))
            return true;
    return false;
}

bool WordPattern::matches(std::string_view key, uint64_t signature) const {
    for (const Text& text : direct_)
        if (inside(text.bits, signature) && searchtext::contains(key, text.key))
            return true;
    // A plain ASCII name holds none of the table's texts.
    if (table_.empty() || !(signature & searchtext::kNonAsciiBits))
        return false;
    for (size_t pos = 0; pos < key.size();) {
        if (uchar(key[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const size_t at = pos;
        const char32_t c = searchtext::nextCharacter(key, pos);
        if (matchesAt(key, at, c))
            return true;
    }
    return false;
}

bool WordPattern::startsWith(std::string_view key) const {
    if (key.empty())
        return false;
    if (std::any_of(direct_.begin(), direct_.end(), [&](const Text& text) {
            return text.key[0] == key[0] && key.starts_with(text.key);
        }))
        return true;
    return !table_.empty() && uchar(key[0]) >= 0x80 && matchesAt(key, 0, firstCharacter(key));
}

std::shared_ptr<const WordPattern> WordPatternCache::get(const QString& word,
                                                         RomajiReading* romaji) {
    if (const auto kept = kept_.constFind(word); kept != kept_.cend())
        return *kept;
    if (const auto known = patterns_.constFind(word); known != patterns_.cend())
        return *known;
    const QStringList readings =
        romaji && searchtext::isLatinWord(word) ? romaji->readings(word) : QStringList();
    auto pattern = std::make_shared<const WordPattern>(word, readings);
    put(pattern);
    return pattern;
}

void WordPatternCache::put(std::shared_ptr<const WordPattern> pattern) {
    // Enough for everything typed in a while; which ones are oldest is not worth tracking.
    if (patterns_.size() >= 1024)
        patterns_.clear();
    patterns_.insert(pattern->word(), std::move(pattern));
}

void WordPatternCache::keep(std::shared_ptr<const WordPattern> pattern) {
    kept_.insert(pattern->word(), std::move(pattern));
}

SearchQuery SearchQuery::compile(const QString& text, RomajiReading* romaji,
                                 WordPatternCache* cache) {
    SearchQuery query;
    query.text_ = text;
    WordPatternCache local;
    WordPatternCache& patterns = cache ? *cache : local;
    for (const QString& word : searchtext::words(text)) {
        auto pattern = patterns.get(word, romaji);
        query.required_ |= pattern->requiredBits();
        query.words_.push_back(std::move(pattern));
    }
    if (query.words_.empty())
        return query;
    query.firstPlain_ = query.words_.front()->onlyText();
    if (query.firstPlain_) {
        query.firstPrefix_ = searchtext::prefixOf(*query.firstPlain_);
        query.firstMask_ = searchtext::prefixOf(
            std::string(4, '\xFF').substr(0, std::min<size_t>(query.firstPlain_->size(), 4)));
    }
    for (const auto& word : query.words_) {
        if (const std::string* only = word->onlyText()) {
            query.plain_.push_back({only, searchtext::hasOwnBit(*only)});
            query.wideRequired_ |= searchtext::wideSignature(*only);
        } else {
            query.patterns_.push_back(word.get());
        }
    }
    // Words that must be looked for, longest first; those their bit decides, last.
    std::stable_sort(query.plain_.begin(), query.plain_.end(), [](const Plain& a, const Plain& b) {
        if (a.ownBit != b.ownBit)
            return b.ownBit;
        return a.key->size() > b.key->size();
    });
    if (query.words_.size() == 1 && query.firstPlain_ && isSingleCharacter(*query.firstPlain_) &&
        uchar((*query.firstPlain_)[0]) >= 0x80)
        query.onlyCharacter_ = firstCharacter(*query.firstPlain_);
    query.plainChecked_ = size_t(std::count_if(query.plain_.begin(), query.plain_.end(),
                                               [](const Plain& p) { return !p.ownBit; }));
    std::stable_sort(
        query.patterns_.begin(), query.patterns_.end(),
        [](const WordPattern* a, const WordPattern* b) { return a->textCount() < b->textCount(); });
    return query;
}

} // namespace tavimo
