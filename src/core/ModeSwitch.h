#pragma once

#include "core/BookMode.h"

#include <QString>
#include <QStringList>

namespace tavimo {

// The titles of the books of one mode, as the File menu lists them: every "*.book" file of the
// library folder (ending in '/'), sorted by the user's locale without regard to case; media
// books are those listed in mediaBooks, normal books all others.
QStringList bookTitlesOfMode(const QString& libraryFolder, const QStringList& mediaBooks,
                             BookMode mode);

// Which book a switch into a mode opens: the mode's last book when its book file still exists,
// else the first book of the mode's list, else none (an empty title).
QString bookAfterModeSwitch(const QString& libraryFolder, const QString& lastBookOfMode,
                            const QStringList& titlesOfMode);

// True when a book file of the library is named title + ".book" in any letter case, whatever
// its mode: a new book of that title would take another book's files.
bool bookTitleTaken(const QString& libraryFolder, const QString& title);

} // namespace tavimo
