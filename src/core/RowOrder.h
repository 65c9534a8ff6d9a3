#pragma once

#include <QList>
#include <algorithm>
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

// The indexes first..last whose rows a change touched; empty when last < first.
struct RowSpan {
    int first = 0;
    int last = -1;
    bool isEmpty() const { return last < first; }
};

// Moves the block of n rows that starts at first so that it stands before the row that stood
// at destination (0..size; size puts it at the end). The rows it passes shift over it, each
// keeping its order. An empty block, one that does not lie within the rows, a destination
// outside 0..size, or one inside the block or just after it (where the block already stands)
// changes nothing. Answers the indexes whose rows changed.
template <class Row> RowSpan moveBlock(QList<Row>& rows, int first, int n, int destination) {
    const qsizetype size = rows.size();
    if (n <= 0 || first < 0 || first > size - n || destination < 0 || destination > size)
        return {};
    const int end = first + n;
    if (destination >= first && destination <= end)
        return {};
    const auto at = [&rows](int i) { return rows.begin() + i; };
    if (destination < first) {
        std::rotate(at(destination), at(first), at(end));
        return {destination, end - 1};
    }
    std::rotate(at(first), at(end), at(destination));
    return {first, destination - 1};
}

// The moves of a single row that the book's and the album's commands offer.
enum class RowStep {
    Back,    // one place towards the front
    Forward, // one place towards the end
    ToFront,
    ToEnd,
};

// Where the row at current of count rows stands after the step; current itself when it cannot
// take it (fewer than two rows, current outside them, or already first or last that way).
inline int steppedIndex(int count, int current, RowStep step) {
    if (count < 2 || current < 0 || current >= count)
        return current;
    const bool back = step == RowStep::Back || step == RowStep::ToFront;
    if (back ? current == 0 : current == count - 1)
        return current;
    switch (step) {
    case RowStep::Back:
        return current - 1;
    case RowStep::Forward:
        return current + 1;
    case RowStep::ToFront:
        return 0;
    case RowStep::ToEnd:
        return count - 1;
    }
    return current;
}

// The destination (as moveBlock takes it) that brings one row from `from` to index `to`.
inline int destinationFor(int from, int to) {
    return to > from ? to + 1 : to;
}

} // namespace tavimo
