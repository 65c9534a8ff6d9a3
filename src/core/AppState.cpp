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
    if (isNewLibrary()) {
        extensions.setUserList(VideoExtensions::newLibraryExtensions());
        // Written at once, so that the library keeps its list even when this first session
        // never reaches its exit. A folder that refuses the file still has the list for this
        // session, and the exit's own write of userex.inf reports the failure.
        (void)textfile::writeLines(userExtensionsPath(), extensions.user());
    } else {
        extensions.loadUserList(userExtensionsPath());
    }
    loadMediaBooks();
    captureFolder = libraryFolderPlain();
}

bool AppState::isNewLibrary() const {
    // A dangling link counts as present: it is someone's file, not ours to replace.
    auto present = [](const QString& path) {
        const QFileInfo file(path);
        return file.exists() || file.isSymLink();
    };
    return !present(settingsPath()) && !present(userExtensionsPath());
}

void AppState::loadMediaBooks() {
    const auto lines = textfile::readLines(mediaBooksPath());
    if (!lines)
        return;
    for (const QString& line : *lines)
        if (!mediaBooks.contains(line))
            mediaBooks.append(line);
}

} // namespace tavimo
