#pragma once

#include "core/Problem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tavimo {

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
// already holds the entry (compared without regard to case). A failed write stops the copy.
struct FavouriteAdded {
    std::optional<QStringList> entries; // the album's new entry list, when the video was added
    QList<Problem> problems;            // what the user is told: a line unread, a failed write
};
FavouriteAdded addToFavourite(const QString& libraryFolder, const QString& favouriteTitle,
                              const QString& albumName, const FavouriteVideo& video);

} // namespace tavimo
