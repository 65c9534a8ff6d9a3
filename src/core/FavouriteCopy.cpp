#include "core/FavouriteCopy.h"

#include "core/AlbumFiles.h"
#include "core/BookPaths.h"
#include "core/DialogService.h"
#include "core/NameRules.h"
#include "core/Tpackedjpg.h"

#include <QFileInfo>

namespace tavimo {

namespace {

bool reportFailure(const WriteResult& result, DialogService& dialogs) {
    if (!result)
        dialogs.message(result.message(), DialogService::Buttons::Ok, DialogService::Icon::Error);
    return !result;
}

} // namespace

std::optional<QStringList> addToFavourite(const QString& libraryFolder,
                                          const QString& favouriteTitle, const QString& albumName,
                                          const FavouriteVideo& video, DialogService& dialogs) {
    if (favouriteTitle.isEmpty() || albumName.isEmpty() || video.entry.isEmpty() ||
        nameProblem(favouriteTitle, NameKind::BookTitle) || nameProblem(albumName, NameKind::Album))
        return std::nullopt;
    const BookPaths book = BookPaths::of(libraryFolder, favouriteTitle);
    const AlbumPaths paths = AlbumPaths::of(book, albumName);
    if (!QFileInfo(book.bookFolder).isDir() || !QFileInfo(paths.album).isFile())
        return std::nullopt;

    auto entries = albumfile::read(paths.album);
    if (!entries || entries->contains(video.entry, Qt::CaseInsensitive))
        return std::nullopt;
    const int before = int(entries->size());
    entries->append(video.entry);
    if (reportFailure(albumfile::write(paths.album, *entries), dialogs))
        return std::nullopt;

    // The new video's mark, count and picture go to the line and entry that match its line in
    // the album file, even where an earlier fault left those files shorter or longer.
    AlbumMarks marks = AlbumMarks::load(paths, before, dialogs);
    marks.bookmarks.resize(before);
    marks.counts.resize(before);
    marks.bookmarks.append(video.bookmark);
    marks.counts.append(video.count);
    marks.save(paths, before + 1, dialogs);

    Tpackedjpg store;
    if (QFileInfo(paths.store).isFile())
        store.loadFromFile(paths.store);
    store.resize(before);
    store.addPicture(video.jpeg);
    reportFailure(store.saveToFile(paths.storeBase), dialogs);
    return entries;
}

} // namespace tavimo
