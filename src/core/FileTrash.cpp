#include "core/FileTrash.h"

#include "core/EntryFiles.h"

#include <QFileInfo>

namespace tavimo {

bool isReadOnlyFile(const QString& path) {
    constexpr QFileDevice::Permissions writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !(QFileInfo(path).permissions() & writeBits);
}

QString trashVideoFile(const QString& path, FileTrash& trash) {
    const QFileInfo info(path);
    // A path of another system ("C:\...") would be looked for in the working folder.
    if (!isPathHere(path) || !info.exists() || info.isDir())
        return kTrashMissingMessage;
    if (isReadOnlyFile(path))
        return kTrashReadOnlyMessage;
    return trash.moveToTrash(path) ? QString() : kTrashFailedMessage;
}

} // namespace tavimo
