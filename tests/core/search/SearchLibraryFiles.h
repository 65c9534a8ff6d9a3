#pragma once

#include "core/BookPaths.h"
#include "core/TextFile.h"
#include "core/search/LibrarySearch.h"
#include "support/TestFiles.h"

#include <QDir>
#include <gtest/gtest.h>

namespace tavimo::test {

// Book and album files of a library folder (ending in '/') for the search's tests, written
// as the program writes them.
inline void writeSearchBook(const QString& library, const QString& title,
                            const QStringList& albums) {
    ASSERT_TRUE(writeTestFile(library + title + ".book", textfile::encodeLines(albums)));
    QDir().mkpath(library + title + "/images");
}

inline void writeSearchAlbum(const QString& library, const QString& book, const QString& album,
                             const QStringList& entries) {
    const QString path = AlbumPaths::of(BookPaths::of(library, book), album).album;
    ASSERT_TRUE(writeTestFile(path, textfile::encodeLines(entries)));
}

// What the search finds for text: "book/album" for an album, "book/album/name" for a video.
inline QStringList foundNames(LibrarySearch& search, const QString& text) {
    QStringList names;
    for (const SearchHit& hit : search.find(text).hits) {
        const auto details = search.details(hit, {});
        names.append(details->book + u'/' + details->album +
                     (hit.isAlbum() ? QString() : u'/' + details->name));
    }
    return names;
}

} // namespace tavimo::test
