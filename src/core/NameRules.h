#pragma once

#include "core/Problem.h"

#include <QString>
#include <optional>

namespace tavimo {

// Album names and book titles become file and folder names as they stand, so a name must name
// one file inside its book folder: no "/", no NUL or other control character, not "." or
// "..", and short enough that every file made from it, and the temporary file that replaces
// it atomically, fits the file system. It must read back as it was written: no byte-order mark
// at its start (a book line would lose it), no lone surrogate (no encoding can hold one). An
// album name must also survive the book file, which cuts out "-->". A book title must not name
// what the library folder holds besides books: another book's file ("<title>.book") or the
// library's own files.
enum class NameKind { Album, BookTitle };

// The message that explains why name cannot be used, or nothing when it can. An empty name is
// the caller's to handle (every command does nothing with one).
std::optional<QString> nameProblem(const QString& name, NameKind kind);

// The refusal of a name that cannot be used, as the user is told it (a warning); nothing when
// it can be used.
std::optional<Problem> refusedName(const QString& name, NameKind kind);

// An album named like its book, in any letter case, would share the book's picture store
// ("images/<title>.pjpg") on a file system that ignores case as well as on this one.
bool albumNamedLikeBook(const QString& albumName, const QString& bookTitle);

// nameProblem for an album of the book titled bookTitle, which also refuses the book's name
// (for a rename or a new album).
std::optional<QString> albumNameProblem(const QString& name, const QString& bookTitle);
std::optional<Problem> refusedAlbumName(const QString& name, const QString& bookTitle);

// What loading a book reports for an album named like it; that album's store is not saved.
QString albumNamedLikeBookReport(const QString& albumName);

} // namespace tavimo
