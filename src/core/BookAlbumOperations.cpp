#include "core/BookAlbumOperations.h"

#include "core/AlbumFiles.h"
#include "core/Book.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/NameRules.h"
#include "core/RegularFiles.h"
#include "core/SaveUnit.h"
#include "core/VideoSort.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>

namespace tavimo {

namespace {

// A picture file larger than this is not read: no album picture needs it, and reading it
// whole must not exhaust memory.
constexpr qint64 kMaxPictureFileBytes = 64LL * 1024 * 1024;

bool present(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Two names of one file: a change of letter case on a file system that ignores case, or an
// album whose store is its book's picture store.
bool sameFile(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// One file of an album as a rename moves it.
struct RenamedFile {
    QString from;
    QString to;
};

QString cannotRename(const QString& what) {
    return what + QStringLiteral("の名前を変更できません");
}

} // namespace

BookAlbumOperations::BookAlbumOperations(LibrarySession& session)
    : session_(session), book_(session.book()) {}

bool BookAlbumOperations::editable() const {
    return book_.isOpen() && !session_.albumOpen();
}

bool BookAlbumOperations::isValidIndex(int index) const {
    return book_.isValidIndex(index);
}

bool BookAlbumOperations::filesExist(const QString& name) const {
    const AlbumPaths paths = AlbumPaths::of(book_.paths(), name);
    return present(paths.album) || present(paths.marks) || present(paths.counts) ||
           present(paths.store);
}

int BookAlbumOperations::createAlbum(const QString& wanted, QList<Problem>& problems) {
    if (!editable() || wanted.isEmpty())
        return -1;
    const QString& title = book_.paths().title;
    // The book's own name is not refused here: it gets its "_" below.
    if (const std::optional<Problem> refused = refusedName(wanted, NameKind::Album)) {
        problems.append(*refused);
        return -1;
    }
    QString name = wanted;
    const auto taken = [&](const QString& candidate) {
        if (albumNamedLikeBook(candidate, title) || filesExist(candidate))
            return true;
        for (const BookAlbum& album : book_.albums())
            if (album.name.compare(candidate, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    while (taken(name))
        name += u'_';
    // The underscores may make it too long for the file system.
    if (name != wanted) {
        if (const std::optional<Problem> refused = refusedAlbumName(name, title)) {
            problems.append(*refused);
            return -1;
        }
    }

    // The empty album file is written with the book that lists it: an album the book lists
    // without its file would be dropped from the book at the next load.
    const QString albumFile = AlbumPaths::of(book_.paths(), name).album;
    book_.appendAlbum(BookAlbum{name});
    if (!session_.flush([&](SaveUnit& unit) { return unit.stage(albumFile, QByteArray()); })) {
        book_.removeAlbum(book_.count() - 1);
        return -1;
    }
    return book_.count() - 1;
}

bool BookAlbumOperations::renameTo(int index, const QString& name, QList<Problem>& problems) {
    if (!editable() || !isValidIndex(index) || name.isEmpty())
        return false;
    const QString old = book_.album(index).name;
    if (name == old)
        return false;
    const BookPaths& book = book_.paths();
    if (const std::optional<Problem> refused = refusedAlbumName(name, book.title)) {
        problems.append(*refused);
        return false;
    }
    for (int i = 0; i < book_.count(); ++i) {
        if (i != index && book_.album(i).name.compare(name, Qt::CaseInsensitive) == 0) {
            problems.append({QStringLiteral("「%1」は名前に使えません。\r\n"
                                            "同じ名前のアルバムがすでにあります。")
                                 .arg(name),
                             QString(), QString(), Problem::Icon::Warning});
            return false;
        }
    }

    const AlbumPaths from = AlbumPaths::of(book, old);
    const AlbumPaths to = AlbumPaths::of(book, name);
    // An album named like its book (from an older library) shares the book's picture store:
    // that file stays where it is.
    const bool storeIsBooks = sameFile(from.store, book.pictureStore);
    const QList<RenamedFile> files = {{from.album, to.album},
                                      {from.store, to.store},
                                      {from.marks, to.marks},
                                      {from.counts, to.counts}};
    // A file already named so belongs to no album of the book but would be taken for this
    // album's (its marks, counts or pictures): nothing is renamed onto or beside it.
    for (const RenamedFile& file : files) {
        if (present(file.to) && !sameFile(file.from, file.to)) {
            problems.append(
                {QStringLiteral("%1 がすでにあるため、%2").arg(file.to, cannotRename(from.album)),
                 file.to, QString(), Problem::Icon::Error, true});
            return false;
        }
    }

    // The files move in the same save as the book file that names them by their new name.
    book_.renameAlbum(index, name);
    const bool saved = session_.flush(
        [&](SaveUnit& unit) {
            for (const RenamedFile& file : files) {
                const bool isAlbumFile = file.from == from.album;
                if (isAlbumFile ||
                    (present(file.from) && !(file.from == from.store && storeIsBooks)))
                    unit.move(file.from, file.to);
            }
            return true;
        },
        false);
    if (saved)
        return true;
    book_.renameAlbum(index, old);
    // A file that could not move is named as the album knows it: the album file with its
    // folder, the store by the album's name alone; no file has moved.
    const QString failed = session_.lastFailure().path;
    const QString what = failed == from.album ? from.album : failed == from.store ? old : failed;
    const bool moving = std::any_of(files.cbegin(), files.cend(),
                                    [&](const RenamedFile& file) { return file.from == failed; });
    const WriteResult& failure = session_.lastFailure();
    if (moving)
        problems.append(
            {cannotRename(what), failure.path, failure.error, Problem::Icon::Error, true});
    else
        problems.append(
            {session_.saveFailure(), failure.path, failure.error, Problem::Icon::Error});
    return false;
}

bool BookAlbumOperations::pictureFromFile(int index, const QString& path,
                                          QList<Problem>& problems) {
    if (!editable() || !isValidIndex(index))
        return false;
    QImage picture;
    QFile file(path);
    if (isRegularFile(path) && file.size() <= kMaxPictureFileBytes &&
        file.open(QIODevice::ReadOnly))
        picture = jpeg::decode(file.readAll());
    if (picture.isNull()) {
        problems.append(
            {path + QStringLiteral(" は読み込めません"), path, QString(), Problem::Icon::Error});
        return false;
    }
    return setPicture(index, picture);
}

bool BookAlbumOperations::setPicture(int index, const QImage& picture) {
    QImage thumbnail;
    if (!editable() || !isValidIndex(index) || !imagefunc::fitThumbnail(picture, thumbnail))
        return false;
    book_.setPicture(index, thumbnail);
    return true;
}

int BookAlbumOperations::remove(int index) {
    if (!editable() || !isValidIndex(index))
        return index;
    const BookPaths& book = book_.paths();
    const AlbumPaths paths = AlbumPaths::of(book, book_.album(index).name);
    const bool storeIsBooks = sameFile(paths.store, book.pictureStore);
    const BookAlbum removed = book_.album(index);
    book_.removeAlbum(index);
    // The files go in the same save as the book file that no longer lists them. A file left
    // behind would be taken for a new album's of the same name; creating one avoids the name,
    // and the user learns which file to remove (the save says so).
    const bool saved = session_.flush([&](SaveUnit& unit) {
        for (const QString& path : {paths.album, paths.marks, paths.store, paths.counts})
            if (present(path) && !(path == paths.store && storeIsBooks))
                unit.remove(path);
        return true;
    });
    if (!saved) {
        book_.insertAlbum(index, removed);
        return index;
    }
    if (book_.count() == 0)
        return -1;
    return std::min(index, book_.count() - 1);
}

bool BookAlbumOperations::canMove(int index, RowStep step) const {
    return editable() && book_.canStep(index, step);
}

int BookAlbumOperations::move(int index, RowStep step) {
    return editable() ? book_.step(index, step) : index;
}

bool BookAlbumOperations::sort(const QLocale& locale) {
    if (!editable() || book_.count() == 0)
        return false;
    if (book_.count() >= 2) {
        QStringList names;
        names.reserve(book_.count());
        for (const BookAlbum& album : book_.albums())
            names.append(album.name);
        book_.reorder(nameSortOrder(names, locale));
    }
    // Sorting writes the book and its pictures at once.
    session_.flush();
    return true;
}

} // namespace tavimo
