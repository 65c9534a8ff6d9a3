#pragma once

#include <QString>

namespace tavimo {

// A book or album name as a menu entry shows it: an "&" in it is a letter, not the mark of an
// accelerator key.
inline QString literalMenuText(QString name) {
    return name.replace(u'&', QStringLiteral("&&"));
}

} // namespace tavimo
