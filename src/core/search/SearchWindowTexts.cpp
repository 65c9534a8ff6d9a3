#include "core/search/SearchWindowTexts.h"

#include "core/EntryFiles.h"
#include "core/search/SearchText.h"

namespace tavimo::searchwindowtexts {

QString windowTitle(const QString& text, int count) {
    if (searchtext::words(text).isEmpty())
        return QStringLiteral("検索");
    return QStringLiteral("検索 ～ %1 ～ %2 件").arg(text.trimmed()).arg(count);
}

QString building(int percent) {
    return QStringLiteral("%1 %2%").arg(QString::fromUtf16(kBuilding)).arg(percent);
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
        const QString serial = serialText(details.medium.serial);
        QString medium = QStringLiteral("メディア: %1")
                             .arg(details.medium.label.isEmpty() ? serial : details.medium.label);
        if (!details.mounted)
            medium += QStringLiteral("（%1）").arg(QString::fromUtf16(kNotMounted));
        lines.append(medium);
    }
    return lines;
}

QString serialText(uint32_t serial) {
    return QStringLiteral("%1-%2")
        .arg(serial >> 16, 4, 16, QChar(u'0'))
        .arg(serial & 0xFFFF, 4, 16, QChar(u'0'))
        .toUpper();
}

QString insertMedium(const SearchHitDetails& details) {
    const QString label =
        details.medium.label.isEmpty() ? QStringLiteral("（ラベルなし）") : details.medium.label;
    return QStringLiteral("「%1」はメディアが接続されていないため開けません。\r\n"
                          "メディア「%2」（シリアル番号 %3）を挿入してください。")
        .arg(details.name, label, serialText(details.medium.serial));
}

} // namespace tavimo::searchwindowtexts
