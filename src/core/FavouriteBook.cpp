#include "core/FavouriteBook.h"

#include "core/BookFile.h"
#include "core/BookPaths.h"
#include "core/NameRules.h"

#include <QFileInfo>

namespace tavimo::favouritebook {

Choice choose(const QString& answer, const QStringList& bookFiles, const QStringList& mediaBooks) {
    Choice choice;
    if (answer.isEmpty())
        return choice;
    for (const QString& file : bookFiles) {
        const QString title = bookTitleFromFile(file);
        if (answer != file && answer != title)
            continue;
        if (mediaBooks.contains(title))
            return Choice{Outcome::MediaBook, {}};
        choice = Choice{Outcome::Set, title};
    }
    return choice;
}

std::optional<QStringList> readAlbums(const QString& libraryFolder, const QString& title) {
    // The title comes from the settings file, which may have been edited by hand.
    if (title.isEmpty() || nameProblem(title, NameKind::BookTitle))
        return std::nullopt;
    const QString path = BookPaths::of(libraryFolder, title).bookFile;
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const auto lines = bookfile::read(path, BookMode::Normal);
    if (!lines)
        return std::nullopt;
    QStringList names;
    for (const bookfile::Line& line : *lines)
        if (!line.name.isEmpty())
            names.append(line.name);
    return names;
}

} // namespace tavimo::favouritebook
