#pragma once

#include "core/Album.h"
#include "core/Book.h"

namespace tavimo::test {

// An album as the session opens it: album 0, "旅", of the book "本" of a mode, made in the
// library folder (ending in '/'). The album reads its name, files, mode and medium from the
// book, which must outlive it.
class AlbumOfBook {
public:
    AlbumOfBook(const QString& libraryFolder, BookMode mode) {
        QList<Problem> problems;
        book.openNew(libraryFolder, QStringLiteral("本"), mode, problems);
        book.appendAlbum({QStringLiteral("旅")});
        album.setIdentity(book, 0);
    }
    // The album's medium, and where it is mounted now.
    void setMedium(const MediumRecord& record, const QString& root) {
        book.setRecord(0, record);
        album.setDriveRoot(root);
    }

    Book book;
    Album album;
};

} // namespace tavimo::test
