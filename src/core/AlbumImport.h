#pragma once

#include <QStringList>

namespace tavimo {

class LibrarySession;

// Messages of importing album files from another book.
inline const QString kImportNamedLikeBookMessage =
    QStringLiteral("ブック名と同じアルバムはインポートできません");
inline const QString kImportNameTakenMessage =
    QStringLiteral("同名アルバムがすでに存在します(>_<)");

// Imports album files (".alb" paths, usually from another book's folder of the library) into
// the session's open book of normal mode, in the order given: each album file with its marks,
// counts and thumbnail store joins the book folder and the book as a new album, with the
// picture its source book gives it (the placeholder when that book has none). A name that is
// the book's, or another album's in any letter case, is reported and skipped, so no file of an
// album of this book is ever replaced. Files of such a name that belong to no album are. Copies
// that fail are reported together at the end. Answers the number of albums imported; the
// session saves the book.
int importAlbums(LibrarySession& session, const QStringList& albumFiles);

} // namespace tavimo
