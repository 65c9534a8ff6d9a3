#pragma once

#include "core/BookMode.h"

#include <QString>

namespace tavimo {

// Where a book keeps its files, all derived from the library folder and the book title.
struct BookPaths {
    QString title;
    QString bookFile;     // library folder + title + ".book"
    QString bookFolder;   // library folder + title + "/"
    QString imagesFolder; // book folder + "images/"
    QString pictureStore; // images folder + title + ".pjpg": one picture per album
    QString mediaDat;     // book folder + "media.dat"

    // libraryFolder ends in '/'.
    static BookPaths of(const QString& libraryFolder, const QString& title);

    // images folder + title: the picture store's path as its save operation takes it.
    QString pictureStoreBase() const { return imagesFolder + title; }
};

// The files that belong to one album of a book.
struct AlbumPaths {
    QString album;     // book folder + name + ".alb"
    QString marks;     // book folder + name + ".mrk"
    QString counts;    // book folder + name + ".cnt"
    QString store;     // images folder + name + ".pjpg"
    QString storeBase; // images folder + name (the store's save path)

    static AlbumPaths of(const BookPaths& book, const QString& albumName);
    // The same files beside an album file in bookFolder (ending in '/'), whatever book that is.
    static AlbumPaths inFolder(const QString& bookFolder, const QString& albumName);
};

// The extension of a book file, after the book's title.
inline constexpr QLatin1String kBookExtension(".book");
// The list of media books in the library folder, one title a line.
inline constexpr QLatin1String kMediaBooksFile("media.inf");

// A book's title from its book file: the file name less its extension ".book" (in any letter
// case, as Windows matched it).
QString bookTitleFromFile(const QString& path);

// The book window's caption; an empty title is the caption with no book open.
QString bookWindowCaption(const QString& title, BookMode mode);

} // namespace tavimo
