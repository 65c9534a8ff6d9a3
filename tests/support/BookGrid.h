#pragma once

#include "ui/book/BookWindow.h"
#include "ui/grid/ScrollBox.h"

namespace tavimo::test {

// The book window's album grid, found by its component name as a screen reader finds it.
inline ScrollBox& bookGrid(const BookWindow& window) {
    auto* grid = window.findChild<ScrollBox*>(QStringLiteral("ScrollBox"));
    Q_ASSERT(grid != nullptr);
    return *grid;
}

} // namespace tavimo::test
