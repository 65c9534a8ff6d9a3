#pragma once

#include "core/AlbumFiles.h"
#include "core/BookFile.h"
#include "core/BookPaths.h"

#include <QDir>

namespace tavimo::test {

// Writes the book "本" with its one album "旅", empty, into the library folder (ending in '/'):
// the smallest library a window can open an album of.
inline bool writeOneAlbumBook(const QString& libraryFolder) {
    const BookPaths book = BookPaths::of(libraryFolder, QStringLiteral("本"));
    return QDir().mkpath(book.imagesFolder) &&
           bookfile::write(book.bookFile, {{QStringLiteral("旅")}}, BookMode::Normal) &&
           albumfile::write(AlbumPaths::of(book, QStringLiteral("旅")).album, {});
}

} // namespace tavimo::test
