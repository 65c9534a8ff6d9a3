#include "core/BookMenuStates.h"

namespace tavimo {

BookMenuStates bookMenuStates(BookMode mode, bool bookOpen) {
    const bool normal = mode == BookMode::Normal;
    BookMenuStates s;
    s.albumCommands = bookOpen;
    s.favourites = {true, bookOpen && normal};
    s.importAlbumMenu = {normal, bookOpen && normal};
    s.importAlbumPopup = {normal, bookOpen && normal};
    // The background popup stays usable without a book: only the mode decides.
    s.importBackground = {true, normal};
    s.mediaAlbumMenu = {!normal, bookOpen && !normal};
    s.mediaAlbumPopup = {!normal, bookOpen && !normal};
    s.mediaBook = {true, !normal};
    s.folderSync = {normal, bookOpen && normal};
    return s;
}

} // namespace tavimo
