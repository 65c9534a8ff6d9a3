#include "core/AlbumOpening.h"

#include "core/Album.h"
#include "core/AlbumContents.h"
#include "core/Book.h"

namespace tavimo {

bool openAlbum(Album& album, Book& book, int index, const DriveProbe& probe,
               DialogService& dialogs) {
    if (!book.isValidIndex(index))
        return false;
    const BookAlbum& listed = book.album(index);
    Tpackedjpg store;
    const AlbumContents contents =
        openAlbumContents(book.albumPaths(index), listed.entries, store, dialogs);
    const bool blanksDropped = contents.entries.size() != listed.entries.size();
    album.setIdentity(book.paths(), listed.name, index, book.mode());
    album.assign(contents.entries, contents.marks, std::move(store));
    if (blanksDropped)
        album.setFittedOnAssign(true);
    if (book.mode() == BookMode::Media) {
        const CurrentMedium medium = book.findMedium(index, contents.entries, probe);
        album.setMedium(medium.record, medium.root);
    } else {
        album.setMedium(MediumRecord{}, QString());
    }
    return true;
}

} // namespace tavimo
