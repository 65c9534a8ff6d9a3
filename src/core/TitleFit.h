#pragma once

#include <QFontMetrics>
#include <QString>

namespace tavimo {

// The caption shown for `title` under a picture, on a caption `captionWidth` pixels wide that
// wraps only at spaces: a title that fits stays as it is; a longer one gets exactly one space
// inserted where it should break. The break follows the first "." of the longest prefix that
// fits (else its first "_") when that character lies in the prefix's second half, and
// otherwise falls right after that prefix.
QString fitTitle(const QString& title, int captionWidth, const QFontMetrics& metrics);

} // namespace tavimo
