#pragma once

#include "core/BookMode.h"
#include "core/MediumRecord.h"

#include <QStringList>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavimo {

// An album as the session holds it, given to the search when it changes.
struct SearchAlbumSource {
    QString name;
    QStringList entries; // the album file's lines, in order
    MediumRecord medium; // media books only
};

// One album's video names ready for matching. The folded names lie end to end in one buffer
// with one signature each, so that a query reads memory in order and skips most names by
// their signature alone; the names as written are kept beside them for showing.
//
// An entry's index is its line in the album file (blank lines count), which is also its
// picture's index in the album's store.
class SearchAlbum {
public:
    SearchAlbum() = default;
    // Folds the entries' file names. An unreadable album keeps its place in the book (so
    // album indexes stay those of the book), holds no videos and matches nothing.
    static SearchAlbum make(const SearchAlbumSource& source, BookMode mode);
    static SearchAlbum unreadable(const QString& name);

    const QString& name() const { return name_; }
    std::string_view nameKey() const { return nameKey_; }
    uint64_t nameSignature() const { return nameSignature_; }
    bool readable() const { return readable_; }
    const MediumRecord& medium() const { return medium_; }
    void setMedium(const MediumRecord& medium) { medium_ = medium; }
    // The album's picture in the book's store: its line in the book file as read, its row
    // once the session has given the book.
    int pictureIndex() const { return pictureIndex_; }
    void setPictureIndex(int index) { pictureIndex_ = index; }

    int count() const { return int(signatures_.size()); }
    // The folded names end to end, each followed by a line break (which no name holds, so no
    // match runs from one name into the next); keyStarts()[i] is where name i begins. At
    // least kKeyPadding more line breaks follow the last name, so that a name may be read
    // sixteen bytes at a time.
    static constexpr size_t kKeyPadding = 16;
    std::string_view keys() const { return std::string_view(keys_.data(), keyStart_.back()); }
    const uint32_t* keyStarts() const { return keyStart_.data(); }
    std::string_view key(int i) const {
        const uint32_t start = keyStart_[size_t(i)];
        return std::string_view(keys_.data() + start, keyStart_[size_t(i) + 1] - 1 - start);
    }
    const uint64_t* signatures() const { return signatures_.data(); }
    // The first four bytes of each name (fewer, padded with zeros, for a shorter one): whether
    // a name starts with a word is mostly answered without reading the name.
    const uint32_t* prefixes() const { return prefixes_.data(); }
    // How many names have each signature bit.
    uint32_t namesWithBit(int bit) const { return bitCounts_[size_t(bit)]; }
    // The names with signature bit `bit`, one bit per name (name i is bit i % 64 of word
    // i / 64), in sliceWords() words: the names with all of a query's bits are found by
    // reading a few bits per name instead of each name's signature.
    const uint64_t* namesWith(int bit) const { return slices_.data() + size_t(bit) * words_; }
    size_t sliceWords() const { return words_; }
    // The same for the bits of the wide signature (searchtext::wideSignature).
    const uint64_t* namesWithWide(int bit) const {
        return slices_.data() + size_t(64 + bit) * words_;
    }
    uint32_t namesWithWideBit(int bit) const { return wideCounts_[size_t(bit)]; }
    // The names that hold the character c beyond ASCII, ascending: a text of one kana or
    // kanji, the first letter typed, finds its names without reading any, however many
    // there are.
    std::span<const uint32_t> namesHolding(char32_t c) const;

    // The file name as written, the folder before it and the whole line.
    QString fileName(int i) const;
    QString folder(int i) const;
    QString entry(int i) const { return folder(i) + fileName(i); }
    // The video's row once the album is open: blank lines are not shown.
    int row(int i) const;

    // True when entries are exactly the album's lines (cheap: compared by a fingerprint).
    bool sameEntries(const QStringList& entries) const;
    // Renames the album without folding its entries again.
    void rename(const QString& name);

    // Bytes held, for the benchmark.
    size_t memoryBytes() const;

private:
    QString name_;
    std::string nameKey_;
    uint64_t nameSignature_ = 0;
    bool readable_ = true;
    MediumRecord medium_;
    int pictureIndex_ = 0;

    std::string keys_;
    std::vector<uint32_t> keyStart_{0};
    std::vector<uint64_t> signatures_;
    std::vector<uint32_t> prefixes_;
    std::array<uint32_t, 64> bitCounts_{};
    std::array<uint32_t, 64> wideCounts_{};
    // 64 slices of words_ words each of the signatures' bits, then 64 of the wide ones.
    std::vector<uint64_t> slices_;
    // Each character beyond ASCII that a name holds, ascending, and the names holding it:
    // those of characters_[k] are holders_[holdersStart_[k]] up to holdersStart_[k + 1].
    std::vector<char32_t> characters_;
    std::vector<uint32_t> holdersStart_;
    std::vector<uint32_t> holders_;
    size_t words_ = 0;

    QString names_; // file names as written, end to end
    std::vector<uint32_t> nameStart_{0};
    QStringList folders_; // each folder once
    std::vector<uint32_t> folderOf_;
    std::vector<uint32_t> blankLines_; // lines that are blank, ascending
    size_t fingerprint_ = 0;
};

} // namespace tavimo
