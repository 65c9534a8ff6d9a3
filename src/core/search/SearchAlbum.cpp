#include "core/search/SearchAlbum.h"

#include "core/search/SearchText.h"

#include <QHash>
#include <algorithm>
#include <bit>

namespace tavimo {

namespace {

size_t fingerprintOf(const QStringList& entries) {
    return qHashRange(entries.begin(), entries.end(), size_t(entries.size()));
}

} // namespace

SearchAlbum SearchAlbum::make(const SearchAlbumSource& source, BookMode mode) {
    SearchAlbum album;
    album.rename(source.name);
    album.medium_ = source.medium;
    album.fingerprint_ = fingerprintOf(source.entries);

    const size_t n = size_t(source.entries.size());
    qsizetype chars = 0;
    for (const QString& entry : source.entries)
        chars += entry.size();
    album.keys_.reserve(size_t(chars) / 2 + n);
    album.keyStart_.reserve(n + 1);
    album.signatures_.reserve(n);
    album.prefixes_.reserve(n);
    album.nameStart_.reserve(n + 1);
    album.folderOf_.reserve(n);

    QHash<QStringView, uint32_t> folderIndex;
    std::vector<uint64_t> wide;
    wide.reserve(n);
    // (character, name) for every character beyond ASCII of every name, once per name.
    std::vector<std::pair<char32_t, uint32_t>> held;
    QString nameChars;
    nameChars.reserve(chars / 2);
    for (size_t i = 0; i < n; ++i) {
        const QString& entry = source.entries.at(qsizetype(i));
        if (entry.isEmpty())
            album.blankLines_.push_back(uint32_t(i));
        const searchtext::EntryParts parts = searchtext::splitEntry(entry, mode);
        // Most albums hold the videos of a few folders, one after the other.
        uint32_t folder;
        if (!album.folderOf_.empty() && album.folders_.at(album.folderOf_.back()) == parts.folder) {
            folder = album.folderOf_.back();
        } else if (const auto known = folderIndex.constFind(parts.folder);
                   known != folderIndex.cend()) {
            folder = *known;
        } else {
            folder = uint32_t(album.folders_.size());
            album.folders_.append(parts.folder.toString());
            folderIndex.insert(QStringView(album.folders_.last()), folder);
        }
        album.folderOf_.push_back(folder);
        nameChars.append(parts.name);
        album.nameStart_.push_back(uint32_t(nameChars.size()));
        const size_t start = album.keys_.size();
        uint64_t wideBits = 0;
        const uint64_t bits = searchtext::appendKey(parts.name, album.keys_, &wideBits);
        wide.push_back(wideBits);
        album.prefixes_.push_back(
            searchtext::prefixOf(std::string_view(album.keys_).substr(start)));
        album.keys_.push_back('\n');
        album.signatures_.push_back(bits);
        album.keyStart_.push_back(uint32_t(album.keys_.size()));
        for (uint64_t rest = bits; rest; rest &= rest - 1)
            ++album.bitCounts_[size_t(std::countr_zero(rest))];
        for (uint64_t rest = wideBits; rest; rest &= rest - 1)
            ++album.wideCounts_[size_t(std::countr_zero(rest))];
        if (wideBits != 0) {
            const size_t first = held.size();
            const std::string_view key = std::string_view(album.keys_).substr(start);
            for (size_t pos = 0; pos < key.size();) {
                const char32_t c = searchtext::nextCharacter(key, pos);
                if (c >= 0x80 && std::none_of(held.begin() + ptrdiff_t(first), held.end(),
                                              [c](const auto& h) { return h.first == c; }))
                    held.push_back({c, uint32_t(i)});
            }
        }
    }
    // Sorted by character, each character's names stay ascending.
    std::stable_sort(held.begin(), held.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    album.holders_.reserve(held.size());
    for (size_t k = 0; k < held.size(); ++k) {
        if (k == 0 || held[k].first != held[k - 1].first) {
            album.characters_.push_back(held[k].first);
            album.holdersStart_.push_back(uint32_t(k));
        }
        album.holders_.push_back(held[k].second);
    }
    album.holdersStart_.push_back(uint32_t(held.size()));
    album.keys_.append(kKeyPadding, '\n');
    album.words_ = (n + 63) / 64;
    album.slices_.assign(128 * album.words_, 0);
    for (size_t i = 0; i < n; ++i) {
        const uint64_t bit = uint64_t(1) << (i % 64);
        for (uint64_t rest = album.signatures_[i]; rest; rest &= rest - 1)
            album.slices_[size_t(std::countr_zero(rest)) * album.words_ + i / 64] |= bit;
        for (uint64_t rest = wide[i]; rest; rest &= rest - 1)
            album.slices_[size_t(64 + std::countr_zero(rest)) * album.words_ + i / 64] |= bit;
    }
    album.names_ = std::move(nameChars);
    album.names_.squeeze();
    album.keys_.shrink_to_fit();
    return album;
}

SearchAlbum SearchAlbum::unreadable(const QString& name) {
    SearchAlbum album;
    album.name_ = name;
    album.readable_ = false;
    return album;
}

std::span<const uint32_t> SearchAlbum::namesHolding(char32_t c) const {
    const auto at = std::lower_bound(characters_.begin(), characters_.end(), c);
    if (at == characters_.end() || *at != c)
        return {};
    const size_t k = size_t(at - characters_.begin());
    return {holders_.data() + holdersStart_[k], holders_.data() + holdersStart_[k + 1]};
}

QString SearchAlbum::fileName(int i) const {
    const uint32_t start = nameStart_[size_t(i)];
    return names_.mid(start, nameStart_[size_t(i) + 1] - start);
}

QString SearchAlbum::folder(int i) const {
    return folders_.at(folderOf_[size_t(i)]);
}

int SearchAlbum::row(int i) const {
    const auto blanksBefore =
        std::lower_bound(blankLines_.begin(), blankLines_.end(), uint32_t(i)) - blankLines_.begin();
    return i - int(blanksBefore);
}

bool SearchAlbum::sameEntries(const QStringList& entries) const {
    return readable_ && entries.size() == count() && fingerprintOf(entries) == fingerprint_;
}

void SearchAlbum::rename(const QString& name) {
    name_ = name;
    nameKey_.clear();
    nameSignature_ = searchtext::appendKey(name, nameKey_);
}

size_t SearchAlbum::memoryBytes() const {
    size_t bytes = sizeof(*this) + keys_.capacity() + size_t(names_.capacity()) * 2 +
                   (keyStart_.capacity() + nameStart_.capacity() + folderOf_.capacity() +
                    blankLines_.capacity() + prefixes_.capacity()) *
                       sizeof(uint32_t) +
                   (signatures_.capacity() + slices_.capacity()) * sizeof(uint64_t) +
                   (characters_.capacity() + holdersStart_.capacity() + holders_.capacity()) *
                       sizeof(uint32_t);
    for (const QString& folder : folders_)
        bytes += size_t(folder.capacity()) * 2 + 32;
    return bytes;
}

} // namespace tavimo
