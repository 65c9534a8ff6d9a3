#include "core/search/SearchTexts.h"

#include "core/EntryFiles.h"
#include "core/search/SearchText.h"

namespace tavimo::searchtexts {

QString windowTitle(const QString& text, int count) {
    if (searchtext::words(text).isEmpty())
        return QStringLiteral("検索");
    return QStringLiteral("検索 ～ %1 ～ %2 件").arg(text.trimmed()).arg(count);
}

QString unreadableMessage(int count) {
    return count > 0 ? QStringLiteral("%1 件のアルバムを読めませんでした").arg(count) : QString();
}

QStringList facts(const SearchHitDetails& details) {
    QStringList lines{QStringLiteral("ブック: %1").arg(details.book),
                      QStringLiteral("アルバム: %1").arg(details.album)};
    // The folder as this system names it: '\' of Windows entries shown as '/'.
    if (!details.entry.isEmpty())
        lines.append(
            QStringLiteral("フォルダ: %1").arg(entryFile(details.mode, {}, details.folder)));
    if (details.onMedium) {
        const QString serial = QStringLiteral("%1-%2")
                                   .arg(details.medium.serial >> 16, 4, 16, QChar(u'0'))
                                   .arg(details.medium.serial & 0xFFFF, 4, 16, QChar(u'0'))
                                   .toUpper();
        QString medium = QStringLiteral("メディア: %1")
                             .arg(details.medium.label.isEmpty() ? serial : details.medium.label);
        if (!details.mounted)
            medium += QStringLiteral("（%1）").arg(QString::fromUtf16(kNotMounted));
        lines.append(medium);
    }
    return lines;
}

} // namespace tavimo::searchtexts
