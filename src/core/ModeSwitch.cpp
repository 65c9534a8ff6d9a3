#include "core/ModeSwitch.h"

#include "core/AlbumShowing.h"
#include "core/BookPaths.h"

#include <QDir>
#include <QFileInfo>

namespace tavimo {

QStringList bookTitlesOfMode(const QString& libraryFolder, const QStringList& mediaBooks,
                             BookMode mode) {
    const QDir folder(libraryFolder);
    const QStringList files =
        folder.entryList({QStringLiteral("*.book")}, QDir::Files | QDir::Hidden | QDir::System);
    QStringList titles;
    for (const QString& file : files) {
        const QString title = bookTitleFromFile(file);
        if (title.isEmpty())
            continue;
        if (mediaBooks.contains(title) == (mode == BookMode::Media))
            titles.append(title);
    }
    albumshow::sortNames(titles);
    return titles;
}

bool bookTitleTaken(const QString& libraryFolder, const QString& title) {
    const QString file = title + kBookExtension;
    const QStringList files =
        QDir(libraryFolder)
            .entryList({QStringLiteral("*.book")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : files)
        if (name.compare(file, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString bookAfterModeSwitch(const QString& libraryFolder, const QString& lastBookOfMode,
                            const QStringList& titlesOfMode) {
    if (!lastBookOfMode.isEmpty() &&
        QFileInfo(BookPaths::of(libraryFolder, lastBookOfMode).bookFile).isFile())
        return lastBookOfMode;
    return titlesOfMode.value(0);
}

} // namespace tavimo
