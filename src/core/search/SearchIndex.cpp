#include "core/search/SearchIndex.h"

#include "core/BookCatalogue.h"
#include "core/BookPaths.h"
#include "core/NameRules.h"
#include "core/search/NeedleFinder.h"
#include "core/search/SearchQuery.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <bit>
#include <memory>

namespace tavimo {

namespace {

bool mountedNow(const MediumRecord& medium, const QList<VolumeInfo>& volumes) {
    // As opening the album finds its medium: by serial, among volumes that are media.
    return medium.serial != 0 &&
           std::any_of(volumes.begin(), volumes.end(), [&](const VolumeInfo& volume) {
               return volume.kind > kMediumNone && volume.serial == medium.serial;
           });
}

} // namespace

SearchIndex::SearchIndex(QString libraryFolder) : libraryFolder_(std::move(libraryFolder)) {}

int SearchIndex::bookIndex(const QString& title) const {
    for (size_t i = 0; i < books_.size(); ++i)
        if (books_[i].title == title)
            return int(i);
    return -1;
}

SearchBook* SearchIndex::book(const QString& title) {
    const int i = bookIndex(title);
    return i < 0 ? nullptr : &books_[size_t(i)];
}

const SearchBook* SearchIndex::book(const QString& title) const {
    const int i = bookIndex(title);
    return i < 0 ? nullptr : &books_[size_t(i)];
}

qsizetype SearchIndex::videoCount() const {
    qsizetype n = 0;
    for (const SearchBook& book : books_)
        for (const SearchAlbum& album : book.albums)
            n += album.count();
    return n;
}

size_t SearchIndex::memoryBytes() const {
    size_t bytes = sizeof(*this) + books_.capacity() * sizeof(SearchBook);
    for (const SearchBook& book : books_)
        for (const SearchAlbum& album : book.albums)
            bytes += album.memoryBytes();
    return bytes;
}

void SearchIndex::putBook(SearchBook book) {
    if (SearchBook* same = this->book(book.title)) {
        *same = std::move(book);
        return;
    }
    // The book list sorts file names, which order a little differently from bare titles.
    const bookcatalogue::NameOrder before;
    const QString file = book.title + kBookExtension;
    const auto place = std::upper_bound(books_.begin(), books_.end(), file,
                                        [&](const QString& name, const SearchBook& other) {
                                            return before(name, other.title + kBookExtension);
                                        });
    books_.insert(place, std::move(book));
}

void SearchIndex::numberPictures(SearchBook& book) {
    for (size_t i = 0; i < book.albums.size(); ++i)
        book.albums[i].setPictureIndex(int(i));
}

QList<int> SearchIndex::albumsToFold(const QString& title, BookMode mode,
                                     const QList<SearchAlbumSource>& albums) const {
    const SearchBook* old = book(title);
    QHash<QString, size_t> oldByName;
    if (old && old->mode == mode)
        for (size_t i = 0; i < old->albums.size(); ++i)
            oldByName.insert(old->albums[i].name(), i);
    QList<int> fold;
    for (int row = 0; row < albums.size(); ++row) {
        const SearchAlbumSource& source = albums.at(row);
        const auto kept = oldByName.constFind(source.name);
        if (kept != oldByName.cend() && old->albums[*kept].sameEntries(source.entries))
            oldByName.erase(kept);
        else
            fold.append(row);
    }
    return fold;
}

bool SearchIndex::setBook(const QString& title, BookMode mode,
                          const QList<SearchAlbumSource>& albums,
                          std::map<int, SearchAlbum> folded) {
    SearchBook fresh{title, mode, {}};
    fresh.albums.reserve(size_t(albums.size()));
    SearchBook* old = book(title);
    QHash<QString, size_t> oldByName;
    if (old)
        for (size_t i = 0; i < old->albums.size(); ++i)
            oldByName.insert(old->albums[i].name(), i);
    // Most saves change one album of the book, or only its marks: the others are kept as
    // they are, and a save that changed no name leaves the index (and the results) alone.
    bool changed = !old || old->mode != mode || old->albums.size() != size_t(albums.size());
    for (const SearchAlbumSource& source : albums) {
        const size_t row = fresh.albums.size();
        const auto kept = oldByName.constFind(source.name);
        if (kept != oldByName.cend() && old->mode == mode &&
            old->albums[*kept].sameEntries(source.entries)) {
            SearchAlbum& album = old->albums[*kept];
            changed = changed || *kept != row || album.pictureIndex() != int(row) ||
                      !(album.medium() == source.medium);
            fresh.albums.push_back(std::move(album));
            fresh.albums.back().setMedium(source.medium);
            oldByName.erase(kept);
        } else if (const auto made = folded.find(int(row)); made != folded.end()) {
            fresh.albums.push_back(std::move(made->second));
            changed = true;
        } else {
            fresh.albums.push_back(SearchAlbum::make(source, mode));
            changed = true;
        }
    }
    numberPictures(fresh);
    putBook(std::move(fresh));
    return changed;
}

void SearchIndex::removeBook(const QString& title) {
    const int i = bookIndex(title);
    if (i >= 0)
        books_.erase(books_.begin() + i);
}

void SearchIndex::insertAlbum(const QString& title, int row, const SearchAlbumSource& album) {
    SearchBook* target = book(title);
    if (!target || row < 0 || row > int(target->albums.size()))
        return;
    target->albums.insert(target->albums.begin() + row, SearchAlbum::make(album, target->mode));
    numberPictures(*target);
}

void SearchIndex::removeAlbum(const QString& title, int row) {
    SearchBook* target = book(title);
    if (!target || row < 0 || row >= int(target->albums.size()))
        return;
    target->albums.erase(target->albums.begin() + row);
    numberPictures(*target);
}

void SearchIndex::moveAlbum(const QString& title, int from, int to) {
    SearchBook* target = book(title);
    const int n = target ? int(target->albums.size()) : 0;
    if (from < 0 || from >= n || to < 0 || to >= n || from == to)
        return;
    auto& albums = target->albums;
    if (from < to)
        std::rotate(albums.begin() + from, albums.begin() + from + 1, albums.begin() + to + 1);
    else
        std::rotate(albums.begin() + to, albums.begin() + from, albums.begin() + from + 1);
    numberPictures(*target);
}

void SearchIndex::setAlbum(const QString& title, int row, const SearchAlbumSource& album) {
    SearchBook* target = book(title);
    if (!target || row < 0 || row >= int(target->albums.size()))
        return;
    SearchAlbum& old = target->albums[size_t(row)];
    if (old.sameEntries(album.entries)) {
        if (old.name() != album.name)
            old.rename(album.name);
        old.setMedium(album.medium);
    } else {
        old = SearchAlbum::make(album, target->mode);
    }
    old.setPictureIndex(row);
}

namespace {

// A video hit as it is gathered: no initial values, so that room for many costs no writing;
// the top bit of entry is set for a name that does not start with the text.
struct RawHit {
    int book;
    int album;
    uint32_t entry;
};
constexpr uint32_t kWithin = uint32_t(1) << 31;

// What one find gathers. It is kept by its thread from one find to the next: a text that a
// million names hold would otherwise take fresh memory from the system every time, and
// the faults of first touching it cost more than the finding.
class Found {
public:
    std::vector<SearchHit> albumsStarting, albumsWithin;

    void clear() {
        albumsStarting.clear();
        albumsWithin.clear();
        videos_ = 0;
        starting_ = 0;
    }
    // Gives back memory that a find of many more hits than this one left.
    void trim() {
        if (videoRoom_ > 4 * videos_ && videoRoom_ > (size_t(1) << 18)) {
            video_.reset();
            videoRoom_ = 0;
        }
    }

    // Room for the candidate names of an album of n names.
    uint32_t* names(size_t n) {
        if (n > namesRoom_) {
            names_.reset(new uint32_t[n]);
            namesRoom_ = n;
        }
        return names_.get();
    }

    // The album's videos of these ids (ascending), each marked whether it starts with the
    // text.
    void takeNames(const SearchQuery& query, const SearchAlbum& album, int b, int a,
                   const uint32_t* ids, size_t count) {
        if (count == 0)
            return;
        RawHit* out = videoRoom(count);
        const uint32_t* prefixes = album.prefixes();
        size_t starting = 0;
        for (size_t k = 0; k < count; ++k) {
            const int i = int(ids[k]);
            const int known = query.startsWithPrefix(prefixes[i]);
            const bool starts = known >= 0 ? known == 1 : query.startsWith(album.key(i));
            out[k] = RawHit{b, a, uint32_t(i) | (starts ? 0 : kWithin)};
            starting += starts;
        }
        videos_ += count;
        starting_ += starting;
    }

    // Albums first, then videos; each the names that start with the text before the others.
    void writeTo(std::vector<SearchHit>& hits) const {
        hits.reserve(albumsStarting.size() + albumsWithin.size() + videos_);
        hits.insert(hits.end(), albumsStarting.begin(), albumsStarting.end());
        hits.insert(hits.end(), albumsWithin.begin(), albumsWithin.end());
        const size_t first = hits.size();
        hits.resize(first + videos_);
        SearchHit* starting = hits.data() + first;
        SearchHit* within = starting + starting_;
        for (const RawHit* hit = video_.get(); hit != video_.get() + videos_; ++hit) {
            const SearchHit out{hit->book, hit->album, int(hit->entry & ~kWithin)};
            // The place is chosen, not branched to: which one is as good as random.
            const bool isWithin = hit->entry & kWithin;
            *(isWithin ? within : starting) = out;
            starting += !isWithin;
            within += isWithin;
        }
    }

private:
    RawHit* videoRoom(size_t more) {
        if (videos_ + more > videoRoom_) {
            const size_t room = std::max({videoRoom_ * 2, videos_ + more, size_t(4096)});
            std::unique_ptr<RawHit[]> grown(new RawHit[room]);
            std::copy(video_.get(), video_.get() + videos_, grown.get());
            video_ = std::move(grown);
            videoRoom_ = room;
        }
        return video_.get() + videos_;
    }

    std::unique_ptr<RawHit[]> video_;
    size_t videos_ = 0;
    size_t starting_ = 0;
    size_t videoRoom_ = 0;
    std::unique_ptr<uint32_t[]> names_;
    size_t namesRoom_ = 0;
};

// The slices of the names with each bit of the query, of both signatures, the bit that fewest
// names have first (most words of 64 names end with it); how many there are.
size_t slicesOf(const SearchQuery& query, const SearchAlbum& album,
                std::array<const uint64_t*, 128>& slices) {
    std::array<std::pair<uint32_t, const uint64_t*>, 128> bits;
    size_t k = 0;
    for (uint64_t rest = query.requiredBits(); rest; rest &= rest - 1) {
        const int bit = std::countr_zero(rest);
        bits[k++] = {album.namesWithBit(bit), album.namesWith(bit)};
    }
    for (uint64_t rest = query.requiredWideBits(); rest; rest &= rest - 1) {
        const int bit = std::countr_zero(rest);
        bits[k++] = {album.namesWithWideBit(bit), album.namesWithWide(bit)};
    }
    std::sort(bits.begin(), bits.begin() + ptrdiff_t(k));
    for (size_t j = 0; j < k; ++j)
        slices[j] = bits[j].second;
    return k;
}

// The names that have every bit of the query, read from the album's slices a word of 64
// names at a time; a name is then read itself only when its bits do not decide.
void findByBits(const SearchQuery& query, const SearchAlbum& album, int b, int a, Found& found) {
    const size_t n = size_t(album.count());
    uint32_t* names = found.names(n);
    size_t count = 0;
    std::array<const uint64_t*, 128> slices;
    const size_t k = slicesOf(query, album, slices);
    if (k == 0) {
        for (size_t i = 0; i < n; ++i)
            names[i] = uint32_t(i);
        count = n;
    } else {
        const size_t words = album.sliceWords();
        for (size_t w = 0; w < words; ++w) {
            uint64_t m = slices[0][w];
            for (size_t j = 1; j < k && m; ++j)
                m &= slices[j][w];
            for (; m; m &= m - 1)
                names[count++] = uint32_t(w * 64 + size_t(std::countr_zero(m)));
        }
    }
    if (!query.exactByBits()) {
        const uint64_t* signatures = album.signatures();
        const char* keys = album.keys().data();
        const uint32_t* starts = album.keyStarts();
        size_t kept = 0;
        for (size_t c = 0; c < count; ++c) {
            // The names are read where they lie, a few ahead of their turn.
            if (c + 8 < count)
                __builtin_prefetch(keys + starts[names[c + 8]]);
            const int i = int(names[c]);
            names[kept] = uint32_t(i);
            kept += query.matchesName(album.key(i), signatures[i]);
        }
        count = kept;
    }
    found.takeNames(query, album, b, a, names, count);
}

// Searching the album's names end to end for the query's most selective word, where too many
// names have its bits for the bits to help.
void findInText(const SearchQuery& query, const SearchAlbum& album, int b, int a, Found& found) {
    const NeedleFinder finder(*query.primary());
    const std::string_view keys = album.keys();
    const uint32_t* starts = album.keyStarts();
    const int n = album.count();
    uint32_t* names = found.names(size_t(n));
    size_t count = 0;
    int i = 0;
    for (size_t at = finder.find(keys, 0); at != std::string_view::npos;) {
        // Matches come in order, so the name holding one is found by stepping forward: in
        // all, no more steps than the album has names.
        while (starts[i + 1] <= at)
            ++i;
        names[count] = uint32_t(i);
        count += query.matchesRest(album.key(i), album.signatures()[i]);
        at = ++i < n ? finder.find(keys, starts[i]) : std::string_view::npos;
    }
    found.takeNames(query, album, b, a, names, count);
}

// True when more names than a fifth have every bit of the query: reading them one by one
// would cost more than searching the text.
bool bitsAreCommon(const SearchQuery& query, const SearchAlbum& album) {
    uint32_t fewest = uint32_t(album.count());
    for (uint64_t bits = query.requiredBits(); bits; bits &= bits - 1)
        fewest = std::min(fewest, album.namesWithBit(std::countr_zero(bits)));
    for (uint64_t bits = query.requiredWideBits(); bits; bits &= bits - 1)
        fewest = std::min(fewest, album.namesWithWideBit(std::countr_zero(bits)));
    return uint64_t(fewest) * 5 > uint64_t(album.count());
}

} // namespace

SearchResults SearchIndex::find(const SearchQuery& query) const {
    SearchResults results;
    if (query.isEmpty())
        return results;
    thread_local Found found;
    found.clear();
    const bool canSearchText = query.primary() && !query.exactByBits();
    for (int b = 0; b < int(books_.size()); ++b) {
        const std::vector<SearchAlbum>& albums = books_[size_t(b)].albums;
        for (int a = 0; a < int(albums.size()); ++a) {
            const SearchAlbum& album = albums[size_t(a)];
            if (album.readable() && query.matches(album.nameKey(), album.nameSignature()))
                (query.startsWith(album.nameKey()) ? found.albumsStarting : found.albumsWithin)
                    .push_back({b, a});
            if (query.onlyCharacter() != 0) {
                const std::span<const uint32_t> holders = album.namesHolding(query.onlyCharacter());
                found.takeNames(query, album, b, a, holders.data(), holders.size());
            } else if (canSearchText && bitsAreCommon(query, album)) {
                findInText(query, album, b, a, found);
            } else {
                findByBits(query, album, b, a, found);
            }
        }
    }
    found.writeTo(results.hits);
    results.albumCount = int(found.albumsStarting.size() + found.albumsWithin.size());
    found.trim();
    return results;
}

std::optional<SearchHitDetails> SearchIndex::details(const SearchHit& hit,
                                                     const QList<VolumeInfo>& volumes) const {
    if (hit.book < 0 || hit.book >= int(books_.size()))
        return std::nullopt;
    const SearchBook& book = books_[size_t(hit.book)];
    if (hit.album < 0 || hit.album >= int(book.albums.size()))
        return std::nullopt;
    const SearchAlbum& album = book.albums[size_t(hit.album)];
    if (hit.entry >= album.count())
        return std::nullopt;

    SearchHitDetails details;
    details.book = book.title;
    details.mode = book.mode;
    details.album = album.name();
    details.albumIndex = hit.album;
    const BookPaths bookPaths = BookPaths::of(libraryFolder_, book.title);
    if (hit.isAlbum()) {
        details.name = album.name();
        details.pictureStore = bookPaths.pictureStore;
        details.pictureIndex = album.pictureIndex();
    } else {
        details.name = album.fileName(hit.entry);
        details.folder = album.folder(hit.entry);
        details.entry = details.folder + details.name;
        details.videoRow = album.row(hit.entry);
        if (!albumNamedLikeBook(album.name(), book.title))
            details.pictureStore = AlbumPaths::of(bookPaths, album.name()).store;
        details.pictureIndex = hit.entry;
    }
    if (book.mode == BookMode::Media) {
        details.onMedium = true;
        details.medium = album.medium();
        details.mounted = mountedNow(album.medium(), volumes);
    }
    return details;
}

} // namespace tavimo
