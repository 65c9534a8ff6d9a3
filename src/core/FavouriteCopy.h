#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tavimo {

class DialogService;

// One video as it is copied into an album of the favourite book.
struct FavouriteVideo {
    QString entry; // the album entry (a full path: favourites belong to normal books)
    int64_t bookmark = 0;
    int32_t count = 0;
    QByteArray jpeg; // its thumbnail; empty when the album store has none
};

// Appends the video to album albumName of the book favouriteTitle in the library: its album
// file, marks and counts files and picture store. Nothing happens when the book's folder or
// the album file is missing, when a name could reach outside its folder, or when the album
// already holds the entry (compared without regard to case). A failed write is shown through
// dialogs and stops the copy. Answers the album's new entry list when the video was added.
std::optional<QStringList> addToFavourite(const QString& libraryFolder,
                                          const QString& favouriteTitle, const QString& albumName,
                                          const FavouriteVideo& video, DialogService& dialogs);

} // namespace tavimo
