#include "platform/LibraryLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavimo::platform {

namespace {
QString withSlash(QString folder) {
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}
} // namespace

QString libraryFolder(const QString& executableFolder) {
    const QString forced = qEnvironmentVariable("TAVIMO_LIBRARY");
    if (!forced.isEmpty()) {
        QDir().mkpath(forced);
        return withSlash(QFileInfo(forced).absoluteFilePath());
    }
    if (QFileInfo::exists(withSlash(executableFolder) + QStringLiteral("Tavimo.ini")))
        return withSlash(executableFolder);
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = withSlash(data) + QStringLiteral("Tavimo/");
    QDir().mkpath(folder);
    return folder;
}

} // namespace tavimo::platform
