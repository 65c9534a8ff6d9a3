#pragma once

#include "core/AtomicFile.h"

#include <QRect>
#include <QString>
#include <optional>

// Where the search window was and how big, kept in the settings file in a section of its own
// ("[search]": left, top, width, height) beside the keys of the other windows.
namespace tavimo::searchplace {

// The place written last; nothing when the file or the section does not hold a whole one
// (a width or height below 1 counts as none).
std::optional<QRect> read(const QString& settingsPath);

// Writes the place, leaving every other section and key as it stands. A file that exists but
// cannot be read is not written over.
WriteResult write(const QString& settingsPath, const QRect& place);

} // namespace tavimo::searchplace
