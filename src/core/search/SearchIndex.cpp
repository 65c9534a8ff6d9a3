#include "core/search/SearchIndex.h"

#include "core/BookCatalogue.h"
#include "core/BookPaths.h"
#include "core/NameRules.h"
#include "core/search/NeedleFinder.h"
#include "core/search/SearchQuery.h"

#include <QHash>
#include <algorithm>
#include <bit>

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

bool SearchIndex::setBook(const QString& title, BookMode mode,
                          const QList<SearchAlbumSource>& albums) {
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

// Where the results go as they are found, each list in library order. Names are first
// gathered as candidates and then written to both lists at once, the right one counting it:
// whether a name matches, or starts with the text, is as good as random, and a branch that
// guesses wrong half the time would cost more than the writing.
struct Found {
    std::vector<SearchHit> albumsStarting, albumsWithin, videosStarting, videosWithin;
    std::vector<uint32_t> names; // of the album being read

    void takeNames(const SearchQuery& query, const SearchAlbum& album, int b, int a, size_t count) {
        size_t starting = videosStarting.size();
        size_t within = videosWithin.size();
        videosStarting.resize(starting + count);
        videosWithin.resize(within + count);
        // Plain pointers: the compiler need not read the vectors again after every write.
        const uint32_t* ids = names.data();
        const uint32_t* prefixes = album.prefixes();
        SearchHit* startingHits = videosStarting.data();
        SearchHit* withinHits = videosWithin.data();
        for (size_t k = 0; k < count; ++k) {
            const int i = int(ids[k]);
            const int known = query.startsWithPrefix(prefixes[i]);
            const bool starts = known >= 0 ? known == 1 : query.startsWith(album.key(i));
            const SearchHit hit{b, a, i};
            startingHits[starting] = hit;
            withinHits[within] = hit;
            starting += starts;
            within += !starts;
        }
        videosStarting.resize(starting);
        videosWithin.resize(within);
    }
};

// Reading the names one by one: most fail on their signature, eight bytes read in order.
void findBySignature(const SearchQuery& query, const SearchAlbum& album, int b, int a,
                     Found& found) {
    const uint64_t required = query.requiredBits();
    const uint64_t* signatures = album.signatures();
    const size_t n = size_t(album.count());
    found.names.resize(n);
    size_t count = 0;
    for (size_t i = 0; i < n; ++i) {
        found.names[count] = uint32_t(i);
        count += (signatures[i] & required) == required;
    }
    if (!query.exactByBits()) {
        size_t kept = 0;
        for (size_t k = 0; k < count; ++k) {
            const int i = int(found.names[k]);
            if (query.matches(album.key(i), signatures[i]))
                found.names[kept++] = uint32_t(i);
        }
        count = kept;
    }
    found.takeNames(query, album, b, a, count);
}

// Searching the album's names end to end for the query's most selective word, where too many
// names have its bits for the signatures to help.
void findInText(const SearchQuery& query, const SearchAlbum& album, int b, int a, Found& found) {
    const NeedleFinder finder(*query.primary());
    const std::string_view keys = album.keys();
    const uint32_t* starts = album.keyStarts();
    const int n = album.count();
    found.names.clear();
    int i = 0;
    for (size_t at = finder.find(keys, 0); at != std::string_view::npos;) {
        // Matches come in order, so the name holding one is found by stepping forward: in
        // all, no more steps than the album has names.
        while (starts[i + 1] <= at)
            ++i;
        if (query.matchesRest(album.key(i), album.signatures()[i]))
            found.names.push_back(uint32_t(i));
        at = ++i < n ? finder.find(keys, starts[i]) : std::string_view::npos;
    }
    found.takeNames(query, album, b, a, found.names.size());
}

// True when more names than a fifth have every bit of the query: reading them one by one
// would cost more than searching the text.
bool bitsAreCommon(const SearchQuery& query, const SearchAlbum& album) {
    uint32_t fewest = uint32_t(album.count());
    for (uint64_t bits = query.requiredBits(); bits; bits &= bits - 1)
        fewest = std::min(fewest, album.namesWithBit(std::countr_zero(bits)));
    return uint64_t(fewest) * 5 > uint64_t(album.count());
}

} // namespace

SearchResults SearchIndex::find(const SearchQuery& query) const {
    SearchResults results;
    if (query.isEmpty())
        return results;
    Found found;
    const bool canSearchText = query.primary() && !query.exactByBits();
    for (int b = 0; b < int(books_.size()); ++b) {
        const std::vector<SearchAlbum>& albums = books_[size_t(b)].albums;
        for (int a = 0; a < int(albums.size()); ++a) {
            const SearchAlbum& album = albums[size_t(a)];
            if (album.readable() && query.matches(album.nameKey(), album.nameSignature()))
                (query.startsWith(album.nameKey()) ? found.albumsStarting : found.albumsWithin)
                    .push_back({b, a});
            if (canSearchText && bitsAreCommon(query, album))
                findInText(query, album, b, a, found);
            else
                findBySignature(query, album, b, a, found);
        }
    }
    std::vector<SearchHit>& hits = results.hits;
    hits.reserve(found.albumsStarting.size() + found.albumsWithin.size() +
                 found.videosStarting.size() + found.videosWithin.size());
    for (const auto* part : {&found.albumsStarting, &found.albumsWithin})
        hits.insert(hits.end(), part->begin(), part->end());
    results.albumCount = int(hits.size());
    for (const auto* part : {&found.videosStarting, &found.videosWithin})
        hits.insert(hits.end(), part->begin(), part->end());
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
