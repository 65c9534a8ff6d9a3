#include "core/search/SearchPlace.h"

#include "core/IniFile.h"

#include <QFileInfo>

namespace tavimo::searchplace {

namespace {
const QString kSection = QStringLiteral("search");
} // namespace

std::optional<QRect> read(const QString& settingsPath) {
    IniFile ini;
    if (!ini.load(settingsPath))
        return std::nullopt;
    const auto value = [&](const char* key) {
        return IniFile::parseInteger(ini.value(kSection, QLatin1String(key)).value_or(QString()));
    };
    const auto left = value("left"), top = value("top");
    const auto width = value("width"), height = value("height");
    if (!left || !top || !width || !height || *width < 1 || *height < 1)
        return std::nullopt;
    return QRect(*left, *top, *width, *height);
}

WriteResult write(const QString& settingsPath, const QRect& place) {
    IniFile ini;
    // Sections of others must survive: a file that is there but unreadable stays as it is.
    if (!ini.load(settingsPath) && QFileInfo::exists(settingsPath)) {
        WriteResult refused;
        refused.ok = false;
        refused.path = settingsPath;
        refused.error = QStringLiteral("読み込めないため上書きしません");
        return refused;
    }
    ini.writeInteger(kSection, QStringLiteral("left"), place.left());
    ini.writeInteger(kSection, QStringLiteral("top"), place.top());
    ini.writeInteger(kSection, QStringLiteral("width"), place.width());
    ini.writeInteger(kSection, QStringLiteral("height"), place.height());
    return ini.save(settingsPath);
}

} // namespace tavimo::searchplace
