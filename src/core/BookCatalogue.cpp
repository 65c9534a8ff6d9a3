#include "core/BookCatalogue.h"

#include "core/BookPaths.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace tavimo::bookcatalogue {

namespace {

// Every regular file of the folder whose name ends in ".book" in any letter case.
QStringList bookLikeFiles(const QString& libraryFolder) {
    QDir folder(libraryFolder);
    folder.setNameFilters({QStringLiteral("*.book")});
    folder.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    QStringList names;
    for (const QFileInfo& info : folder.entryInfoList())
        if (info.isFile())
            names.append(info.fileName());
    return names;
}

} // namespace

NameOrder::NameOrder() : collator_(QLocale::system()) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

bool NameOrder::operator()(const QString& a, const QString& b) const {
    const int order = collator_.compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

void sortNames(QStringList& names) {
    std::sort(names.begin(), names.end(), NameOrder());
}

QStringList listBookFiles(const QString& libraryFolder) {
    QStringList names = bookLikeFiles(libraryFolder);
    names.removeIf([](const QString& name) { return !name.endsWith(kBookExtension); });
    sortNames(names);
    return names;
}

QStringList booksOfMode(const QStringList& bookFiles, const QStringList& mediaBooks,
                        BookMode mode) {
    const bool media = mode == BookMode::Media;
    QStringList chosen;
    for (const QString& file : bookFiles)
        if (mediaBooks.contains(bookTitleFromFile(file)) == media)
            chosen.append(file);
    return chosen;
}

bool titleTaken(const QString& libraryFolder, const QString& title) {
    const QString file = title + kBookExtension;
    const QStringList existing = bookLikeFiles(libraryFolder);
    return std::any_of(existing.begin(), existing.end(), [&file](const QString& name) {
        return name.compare(file, Qt::CaseInsensitive) == 0;
    });
}

} // namespace tavimo::bookcatalogue
