#include "core/BookPaths.h"

#include <QFileInfo>

namespace tavimo {

BookPaths BookPaths::of(const QString& libraryFolder, const QString& title) {
    BookPaths paths;
    paths.title = title;
    paths.bookFile = libraryFolder + title + kBookExtension;
    paths.bookFolder = libraryFolder + title + u'/';
    paths.imagesFolder = paths.bookFolder + QStringLiteral("images/");
    paths.pictureStore = paths.imagesFolder + title + QStringLiteral(".pjpg");
    paths.mediaDat = paths.bookFolder + QStringLiteral("media.dat");
    return paths;
}

AlbumPaths AlbumPaths::of(const BookPaths& book, const QString& albumName) {
    AlbumPaths paths;
    paths.album = book.bookFolder + albumName + QStringLiteral(".alb");
    paths.marks = book.bookFolder + albumName + QStringLiteral(".mrk");
    paths.counts = book.bookFolder + albumName + QStringLiteral(".cnt");
    paths.storeBase = book.imagesFolder + albumName;
    paths.store = paths.storeBase + QStringLiteral(".pjpg");
    return paths;
}

QString bookTitleFromFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    // Only the book file's own extension goes: "a.book.b.book" is the book "a.book.b", and
    // "Old.BOOK" (a library copied from Windows) the book "Old".
    if (name.endsWith(kBookExtension, Qt::CaseInsensitive))
        return name.chopped(kBookExtension.size());
    return name;
}

QString bookWindowCaption(const QString& title, BookMode mode) {
    const bool media = mode == BookMode::Media;
    if (title.isEmpty())
        return media ? QStringLiteral(" Tavimo　　　　* Media") : QStringLiteral(" Tavimo　　");
    QString caption = QStringLiteral(" Tavimo　　") + title + QStringLiteral(" ブック");
    if (media)
        caption += QStringLiteral("　　* Media");
    return caption;
}

} // namespace tavimo
