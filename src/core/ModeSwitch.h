#pragma once

#include "core/BookMode.h"

#include <QString>
#include <QStringList>

namespace tavimo {

// The titles of the books of one mode, in the File menu's order (see bookcatalogue).
QStringList bookTitlesOfMode(const QString& libraryFolder, const QStringList& mediaBooks,
                             BookMode mode);

// Which book a switch into a mode opens: the mode's last book when its book file still exists,
// else the first book of the mode's list, else none (an empty title).
QString bookAfterModeSwitch(const QString& libraryFolder, const QString& lastBookOfMode,
                            const QStringList& titlesOfMode);

} // namespace tavimo
