#include "core/BookPaths.h"

#include <QFileInfo>

namespace tavimo {

namespace {
const QString kImagesFolder = QStringLiteral("images/");
const QString kStoreExtension = QStringLiteral(".pjpg");
} // namespace

BookPaths BookPaths::of(const QString& libraryFolder, const QString& title) {
    BookPaths paths;
    paths.title = title;
    paths.bookFile = libraryFolder + title + kBookExtension;
    paths.bookFolder = libraryFolder + title + u'/';
    paths.imagesFolder = paths.bookFolder + kImagesFolder;
    paths.pictureStore = paths.imagesFolder + title + kStoreExtension;
    paths.mediaDat = paths.bookFolder + QStringLiteral("media.dat");
    return paths;
}

AlbumPaths AlbumPaths::of(const BookPaths& book, const QString& albumName) {
    return inFolder(book.bookFolder, albumName);
}

AlbumPaths AlbumPaths::inFolder(const QString& bookFolder, const QString& albumName) {
    AlbumPaths paths;
    paths.album = bookFolder + albumName + QStringLiteral(".alb");
    paths.marks = bookFolder + albumName + QStringLiteral(".mrk");
    paths.counts = bookFolder + albumName + QStringLiteral(".cnt");
    paths.storeBase = bookFolder + kImagesFolder + albumName;
    paths.store = paths.storeBase + kStoreExtension;
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
