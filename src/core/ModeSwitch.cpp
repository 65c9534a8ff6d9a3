#include "core/ModeSwitch.h"

#include "core/BookCatalogue.h"
#include "core/BookPaths.h"

#include <QDir>
#include <QFileInfo>

namespace tavimo {

QStringList bookTitlesOfMode(const QString& libraryFolder, const QStringList& mediaBooks,
                             BookMode mode) {
    QStringList titles;
    const QStringList files = bookcatalogue::listBookFiles(libraryFolder);
    for (const QString& file : bookcatalogue::booksOfMode(files, mediaBooks, mode))
        titles.append(bookTitleFromFile(file));
    return titles;
}

QString bookAfterModeSwitch(const QString& libraryFolder, const QString& lastBookOfMode,
                            const QStringList& titlesOfMode) {
    if (!lastBookOfMode.isEmpty() &&
        QFileInfo(BookPaths::of(libraryFolder, lastBookOfMode).bookFile).isFile())
        return lastBookOfMode;
    return titlesOfMode.value(0);
}

} // namespace tavimo
