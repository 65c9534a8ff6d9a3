#pragma once

#include "core/BookMode.h"

#include <QCollator>
#include <QString>
#include <QStringList>

// The books of the library folder as the File menu lists them.
namespace tavimo::bookcatalogue {

// The file names (title + ".book") of every book file in the library folder, in the order of
// the user's locale with letter case ignored. Only files this program can open are listed: a
// regular file whose name ends in ".book" exactly.
QStringList listBookFiles(const QString& libraryFolder);

// Sorts names as the book list shows them: the user's locale, letter case ignored; names that
// differ only in case keep a fixed order among themselves.
void sortNames(QStringList& names);

// The order of sortNames as a comparison, for keeping a list in that order as it changes.
class NameOrder {
public:
    NameOrder();
    bool operator()(const QString& a, const QString& b) const;

private:
    QCollator collator_;
};

// The book files of one mode, in the order given: a media book is one whose title is in the
// media-book list (exact comparison).
QStringList booksOfMode(const QStringList& bookFiles, const QStringList& mediaBooks, BookMode mode);

// True when a book file of that title exists in either mode, compared without regard to letter
// case (a library copied to a file system that ignores case must still hold both books).
bool titleTaken(const QString& libraryFolder, const QString& title);

} // namespace tavimo::bookcatalogue
