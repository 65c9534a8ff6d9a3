#include "ui/WindowFont.h"

#include <QStringList>

namespace tavimo {

QFont windowFont(int pixelSize, bool bold) {
    static const QString family = QStringLiteral("ＭＳ Ｐゴシック");
    static const bool substituted = [] {
        QFont::insertSubstitutions(family, QStringList{QStringLiteral("IPAPGothic")});
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace tavimo
