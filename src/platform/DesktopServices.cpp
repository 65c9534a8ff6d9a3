#include "platform/DesktopServices.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace tavimo::platform {

bool DesktopTrash::moveToTrash(const QString& path) {
    // Qt makes the trash folder inside the user's data folder but not the data folder itself;
    // on a fresh account that folder may not exist yet.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty())
        QDir().mkpath(data);
    QFile file(path);
    return file.moveToTrash();
}

bool DetachedLauncher::startDetached(const QString& program, const QStringList& arguments) {
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments);
}

bool DesktopDocumentOpener::open(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace tavimo::platform
