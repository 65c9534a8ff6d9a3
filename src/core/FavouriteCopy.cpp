#include "core/FavouriteCopy.h"

#include "core/AlbumFiles.h"
#include "core/BookPaths.h"
#include "core/NameRules.h"
#include "core/SaveUnit.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"

#include <QFileInfo>

namespace tavimo {

FavouriteAdded addToFavourite(const QString& libraryFolder, const QString& favouriteTitle,
                              const QString& albumName, const FavouriteVideo& video) {
    if (favouriteTitle.isEmpty() || albumName.isEmpty() || video.entry.isEmpty() ||
        nameProblem(favouriteTitle, NameKind::BookTitle) || nameProblem(albumName, NameKind::Album))
        return {};
    const BookPaths book = BookPaths::of(libraryFolder, favouriteTitle);
    const AlbumPaths paths = AlbumPaths::of(book, albumName);
    if (!QFileInfo(book.bookFolder).isDir() || !QFileInfo(paths.album).isFile())
        return {};

    auto entries = albumfile::read(paths.album);
    if (!entries || entries->contains(video.entry, Qt::CaseInsensitive))
        return {};
    const int before = int(entries->size());
    entries->append(video.entry);

    // The new video's mark, count and picture go to the line and entry that match its line in
    // the album file, even where an earlier fault left those files shorter or longer. The four
    // files change together, and what could not be read is kept beside before it is replaced.
    AlbumMarks marks = AlbumMarks::load(paths, before);
    FavouriteAdded added{std::nullopt, marks.problems};
    marks.bookmarks.resize(before);
    marks.counts.resize(before);
    marks.bookmarks.append(video.bookmark);
    marks.counts.append(video.count);
    Tpackedjpg store;
    if (QFileInfo(paths.store).isFile() && !store.loadFromFile(paths.store))
        marks.damaged.append(paths.store);
    store.resize(before);
    store.addPicture(video.jpeg);

    SaveUnit unit(libraryFolder);
    for (const QString& damaged : std::as_const(marks.damaged))
        unit.keepDamagedCopy(damaged);
    unit.stage(paths.album, textfile::encodeLinesFor(paths.album, *entries));
    unit.stage(paths.marks, textfile::encodeLines(marks.bookmarkLines(before + 1)));
    unit.stage(paths.counts, textfile::encodeLines(marks.countLines(before + 1)));
    store.stageTo(unit, paths.storeBase);
    if (!unit.commit()) {
        added.problems.append(unit.failure().problem());
        return added;
    }
    added.entries = std::move(entries);
    return added;
}

} // namespace tavimo
