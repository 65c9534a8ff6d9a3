#include "core/search/LibraryScan.h"

#include "core/BookCatalogue.h"
#include "core/BookPaths.h"
#include "core/MediaDat.h"
#include "core/NameRules.h"
#include "core/TextFile.h"

#include <QFile>
#include <QFileInfo>

namespace tavimo::libraryscan {

namespace {

// The book leaves such lines out when it loads (see Book::load).
bool escapesBookFolder(const QString& name) {
    return name.contains(u'/') || name == u"." || name == u"..";
}

QList<MediumRecord> mediaOf(const BookPaths& paths) {
    const auto bytes = readStoredFile(paths.mediaDat, kMaxBookFileBytes);
    return bytes ? mediadat::decode(*bytes).records : QList<MediumRecord>();
}

} // namespace

std::optional<QByteArray> readStoredFile(const QString& path, qint64 limit) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > limit)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > limit)
        return std::nullopt;
    return bytes;
}

Plan plan(const QString& libraryFolder, const QStringList& mediaBooks) {
    Plan found;
    for (const QString& file : bookcatalogue::listBookFiles(libraryFolder)) {
        const QString title = bookTitleFromFile(file);
        const BookMode mode = mediaBooks.contains(title) ? BookMode::Media : BookMode::Normal;
        const auto bytes = title.isEmpty() || nameProblem(title, NameKind::BookTitle)
                               ? std::nullopt
                               : readStoredFile(libraryFolder + file, kMaxBookFileBytes);
        if (!bytes) {
            ++found.unreadable;
            continue;
        }
        PlannedBook book{title, mode, bookfile::parse(textfile::decodeLines(*bytes), mode)};
        found.albumCount += int(book.lines.size());
        found.books.push_back(std::move(book));
    }
    return found;
}

SearchBook readBook(const QString& libraryFolder, const PlannedBook& book, int& unreadable,
                    const std::function<bool()>& albumDone) {
    SearchBook read{book.title, book.mode, {}};
    const BookPaths paths = BookPaths::of(libraryFolder, book.title);
    const QList<MediumRecord> media =
        book.mode == BookMode::Media ? mediaOf(paths) : QList<MediumRecord>();
    for (int line = 0; line < book.lines.size(); ++line) {
        const QString& name = book.lines.at(line).name;
        const QString path = AlbumPaths::of(paths, name).album;
        if (!escapesBookFolder(name) && QFileInfo::exists(path)) {
            const MediumRecord medium = line < media.size() ? media.at(line) : MediumRecord{};
            const auto bytes = readStoredFile(path, kMaxAlbumFileBytes);
            if (bytes) {
                read.albums.push_back(SearchAlbum::make(
                    SearchAlbumSource{name, textfile::decodeLines(*bytes), medium}, book.mode));
            } else {
                read.albums.push_back(SearchAlbum::unreadable(name));
                ++unreadable;
            }
            read.albums.back().setMedium(medium);
            // Until the book is loaded and saved, its store still has a picture per line.
            read.albums.back().setPictureIndex(line);
        }
        if (!albumDone())
            break;
    }
    return read;
}

} // namespace tavimo::libraryscan
