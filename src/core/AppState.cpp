#include "core/AppState.h"

#include "core/TextFile.h"

#include <QFileInfo>

namespace tavimo {

QString AppState::siblingToolPath() const {
    return executableFolder + QStringLiteral("Pelkora");
}

QString AppState::libraryFolderPlain() const {
    QString folder = libraryFolder;
    if (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

void AppState::initialise(const QString& folder) {
    libraryFolder = folder;
    if (!libraryFolder.endsWith(u'/'))
        libraryFolder += u'/';
    bookTitle.clear();
    extensions.loadUserList(userExtensionsPath());
    loadMediaBooks();
    captureFolder = libraryFolderPlain();
}

void AppState::loadMediaBooks() {
    const auto lines = textfile::readLines(mediaBooksPath());
    mediaBooksUnreadable = !lines && QFileInfo::exists(mediaBooksPath());
    if (!lines)
        return;
    for (const QString& line : *lines)
        if (!mediaBooks.contains(line))
            mediaBooks.append(line);
}

} // namespace tavimo
