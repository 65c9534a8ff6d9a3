#pragma once

#include <QList>
#include <QLocale>
#include <QStringList>
#include <cstdint>

namespace tavimo {

// Orders for sorting an album. Each answer lists, for every new position, the current index
// of the video that goes there (the form Album::reorder takes). Both sorts are stable: videos
// with equal keys keep their album order.

// By name: ascending, letter case ignored, in the collation of locale (the user's by default).
QList<int> nameSortOrder(const QStringList& names, const QLocale& locale = QLocale::system());

// By play count: the most played first.
QList<int> playCountSortOrder(const QList<int32_t>& counts);

} // namespace tavimo
