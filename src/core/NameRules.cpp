#include "core/NameRules.h"

#include "core/DialogService.h"

#include <QFile>

namespace tavimo {

namespace {
// ".pjpg" and ".book" are the longest extensions a name gets; file names on Linux file
// systems hold at most 255 bytes.
constexpr qsizetype kLongestExtension = 5;
constexpr qsizetype kMaxFileNameBytes = 255;
} // namespace

std::optional<QString> nameProblem(const QString& name, NameKind kind) {
    if (name.isEmpty())
        return std::nullopt;
    const QString head = QStringLiteral("「%1」は名前に使えません。\r\n").arg(name);
    if (name == u"." || name == u"..")
        return head + QStringLiteral("「.」と「..」は名前にできません。");
    for (QChar c : name) {
        if (c == u'/')
            return head + QStringLiteral("「/」は名前に使えません。");
        if (c.category() == QChar::Other_Control)
            return head + QStringLiteral("改行などの制御文字は名前に使えません。");
    }
    if (kind == NameKind::Album && name.contains(QStringLiteral("-->")))
        return head + QStringLiteral("「-->」はアルバム名に使えません。");
    if (QFile::encodeName(name).size() + kLongestExtension > kMaxFileNameBytes)
        return head + QStringLiteral("名前が長すぎます。");
    return std::nullopt;
}

bool acceptName(const QString& name, NameKind kind, DialogService& dialogs) {
    const auto problem = nameProblem(name, kind);
    if (problem)
        dialogs.message(*problem, DialogService::Buttons::Ok, DialogService::Icon::Warning);
    return !problem;
}

} // namespace tavimo
