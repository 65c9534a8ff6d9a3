// libFuzzer target for an album file as the search reads it: any bytes give one name per
// line whose folder and file name put together are the line again, in either mode; and a
// query made of part of a name finds that name.

#include "TextChecks.h"
#include "core/TextFile.h"
#include "core/search/SearchIndex.h"
#include "core/search/SearchQuery.h"

using namespace tavimo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList lines = textfile::decodeLines(QByteArrayView(data, qsizetype(size)));
    for (BookMode mode : {BookMode::Normal, BookMode::Media}) {
        const SearchAlbum album = SearchAlbum::make({"album", lines, {}}, mode);
        fuzz::check(album.count() == lines.size(), "one name per line");
        for (int i = 0; i < album.count(); ++i) {
            fuzz::check(album.entry(i) == lines.at(i), "folder and name make the line");
            fuzz::check(album.key(i).find('\n') == std::string_view::npos,
                        "a name never runs into the next");
        }
    }
    if (lines.isEmpty())
        return 0;
    SearchIndex index;
    index.setBook("book", BookMode::Media, {{"album", lines, {}}});
    const SearchAlbum& album = index.books().front().albums.front();
    const QString name = album.fileName(0);
    const QString word = searchtext::words(name).value(0);
    if (word.isEmpty())
        return 0;
    const SearchResults found = index.find(SearchQuery::compile(word, nullptr));
    fuzz::check(std::find(found.hits.begin(), found.hits.end(), SearchHit{0, 0, 0}) !=
                    found.hits.end(),
                "a word of a name finds it");
    return 0;
}
