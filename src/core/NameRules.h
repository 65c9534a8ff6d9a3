#pragma once

#include <QString>
#include <optional>

namespace tavimo {

class DialogService;

// Album names and book titles become file and folder names as they stand, so a name must name
// one file inside its book folder: no "/", no NUL or other control character, not "." or
// "..", short enough for the file system with its longest extension. An album name must also
// survive the book file, which cuts out "-->".
enum class NameKind { Album, BookTitle };

// The message that explains why name cannot be used, or nothing when it can. An empty name is
// the caller's to handle (every command does nothing with one).
std::optional<QString> nameProblem(const QString& name, NameKind kind);

// True when name can be used; otherwise shows the message and answers false.
bool acceptName(const QString& name, NameKind kind, DialogService& dialogs);

} // namespace tavimo
