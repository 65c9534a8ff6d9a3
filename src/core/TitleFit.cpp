#include "core/TitleFit.h"

namespace tavimo {

namespace {

// Length of the longest prefix of `title` no wider than `width`; the whole title is known not
// to fit. Prefix widths grow with their length, so a binary search finds what removing one
// character after another would find. A surrogate pair is never split.
qsizetype fittingLength(const QString& title, int width, const QFontMetrics& metrics) {
    qsizetype fits = 0;
    qsizetype tooWide = title.size();
    while (tooWide - fits > 1) {
        const qsizetype middle = (fits + tooWide) / 2;
        if (metrics.horizontalAdvance(title.left(middle)) <= width)
            fits = middle;
        else
            tooWide = middle;
    }
    if (fits > 0 && title.at(fits - 1).isHighSurrogate())
        --fits;
    return fits;
}

} // namespace

QString fitTitle(const QString& title, int captionWidth, const QFontMetrics& metrics) {
    if (metrics.horizontalAdvance(title) <= captionWidth)
        return title;
    const qsizetype n = fittingLength(title, captionWidth, metrics);
    const QString prefix = title.left(n);
    qsizetype k = prefix.indexOf(QLatin1Char('.')) + 1;
    if (k == 0)
        k = prefix.indexOf(QLatin1Char('_')) + 1;
    const qsizetype breakAt = k > n / 2 ? k : n;
    return title.left(breakAt) + QLatin1Char(' ') + title.mid(breakAt);
}

} // namespace tavimo
