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
    // A new library starts with the containers of today's videos. Like every user list, they
    // reach userex.inf with the exit's write of it: nothing is written before start-up ends.
    if (isNewLibrary())
        extensions.setUserList(VideoExtensions::newLibraryExtensions());
    else
        extensions.loadUserList(userExtensionsPath());
    loadMediaBooks();
    captureFolder = libraryFolderPlain();
}

bool AppState::isNewLibrary() const {
    // A dangling link counts as present: the library was used before.
    auto present = [](const QString& path) {
        const QFileInfo file(path);
        return file.exists() || file.isSymLink();
    };
    return !present(settingsPath()) && !present(userExtensionsPath());
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
