#pragma once

#include <QStringList>

namespace tavimo::test {

// The titles of a grid's cells in their order, read from anything that answers cellAt(i)
// with a cell or, past the last, nullptr: the grid itself or a window that holds one.
template <class Grid> QStringList cellTitles(const Grid& grid) {
    QStringList titles;
    for (int i = 0; grid.cellAt(i) != nullptr; ++i)
        titles.append(grid.cellAt(i)->title());
    return titles;
}

} // namespace tavimo::test
