#pragma once

#include <QFont>

namespace tavimo {

// The windows' font "ＭＳ Ｐゴシック" at a pixel height. Linux has no font of that name, so the
// first call maps it to IPAPGothic (fonts-ipafont-gothic) for the whole application.
QFont windowFont(int pixelSize, bool bold = false);

} // namespace tavimo
