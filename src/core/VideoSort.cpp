#include "core/VideoSort.h"

#include <QCollator>
#include <algorithm>
#include <numeric>

namespace tavimo {

namespace {

QList<int> identity(qsizetype n) {
    QList<int> order(n, 0);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

} // namespace

QList<int> nameSortOrder(const QStringList& names, const QLocale& locale) {
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Names that compare equal (such as "A.avi" and "a.avi") must stay in album order; a
    // stable sort gives each the first free place among its equals.
    QList<int> order = identity(names.size());
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return collator.compare(names.at(a), names.at(b)) < 0; });
    return order;
}

QList<int> playCountSortOrder(const QList<int32_t>& counts) {
    QList<int> order = identity(counts.size());
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return counts.at(a) > counts.at(b); });
    return order;
}

} // namespace tavimo
