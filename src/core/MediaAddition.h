#pragma once

#include "core/BookMode.h"
#include "core/DriveProbe.h"

#include <QList>
#include <QStringList>

namespace tavimo {

// Messages of the rules for books of removable media.
inline const QString kOnlyRemovableFilesMessage =
    QStringLiteral("このブックにはリムーバルメディア上のファイル以外は登録できません");
inline const QString kNoRemovableFilesMessage =
    QStringLiteral("このブックにはリムーバルメディア上のファイルは登録できません");
inline const QString kMediumMismatchMessage = QStringLiteral("登録のメディアと一致しません");

// What adding a list of files to the open album comes to, decided before anything changes.
struct AdditionPlan {
    // Shown to the user when not empty; then nothing at all is added.
    QString refusal;
    // Files of the list that cannot become entries (canBeEntry): left out, whatever else the
    // plan says.
    QStringList unfit;
    // The files to add, in the caller's order, and the album entries they become (the full
    // path in normal books, the path below the medium's root in media books).
    QStringList files;
    QStringList entries;
    // Media books: the album's medium was found or chosen now; medium is to be recorded for
    // the album in the media registry and becomes the album's current medium.
    bool mediumFound = false;
    CurrentMedium medium;
    // The medium was found through the album's own entries: entries it does not hold go.
    bool removeMissing = false;
};

// Decides an addition of files (full paths, sorted by the caller) to an album holding
// albumEntries, whose medium is medium (media books). Files already in the album, or twice in
// the list, are added once (paths compared without regard to case, entries as entryFile makes
// them files). Files whose path cannot become an entry are left out before anything else.
AdditionPlan planAddition(BookMode mode, const QStringList& albumEntries,
                          const CurrentMedium& medium, const QStringList& files,
                          const DriveProbe& probe);

// Indexes of the media entries whose files are gone from the medium mounted at root
// (GoneFiles: an entry whose folder cannot be reached or is empty stays), last first, so that
// removing them in this order keeps the remaining indexes valid.
QList<int> entriesMissingFrom(const QString& root, const QStringList& entries);

} // namespace tavimo
