#pragma once

namespace tavimo {

class Album;
class Book;
class DialogService;
class DriveProbe;

// Opens album `index` of the book into the shared album: its entries copied, its thumbnail
// store loaded and fitted to them, its bookmarks and counts read and padded, blank entries
// dropped with their companions, and in a media book the medium looked for (probe). False, and
// the album untouched, when the book has no such album.
bool openAlbum(Album& album, Book& book, int index, const DriveProbe& probe,
               DialogService& dialogs);

} // namespace tavimo
