#pragma once

#include <QList>
#include <utility>

namespace tavimo {

// True when order holds every index 0..n-1 exactly once.
inline bool isPermutation(const QList<int>& order, qsizetype n) {
    if (order.size() != n)
        return false;
    QList<bool> seen(n, false);
    for (int old : order) {
        if (old < 0 || old >= n || seen.at(old))
            return false;
        seen[old] = true;
    }
    return true;
}

// Puts rows in the order given: order[k] is the old index of the row that goes to index k.
// Rows move whole, so nothing that belongs to a row can stay behind. False, and the rows
// untouched, unless order is a permutation of the rows.
template <class Row> bool reorderRows(QList<Row>& rows, const QList<int>& order) {
    if (!isPermutation(order, rows.size()))
        return false;
    QList<Row> sorted;
    sorted.reserve(rows.size());
    for (int old : order)
        sorted.append(std::move(rows[old]));
    rows = std::move(sorted);
    return true;
}

} // namespace tavimo
