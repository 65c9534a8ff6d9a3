#include "ui/grid/GridBinding.h"

#include "core/CellRoles.h"
#include "ui/grid/ScrollBox.h"

#include <QAbstractItemModel>

namespace tavimo {

GridBinding::GridBinding(const QAbstractItemModel& model, ScrollBox& grid, QObject* parent)
    : QObject(parent), model_(model), grid_(grid) {
    connect(&model_, &QAbstractItemModel::modelReset, this, &GridBinding::rebuild);
    connect(&model_, &QAbstractItemModel::layoutChanged, this, &GridBinding::rebuild);
    connect(&model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { inserted(first, last); });
    connect(&model_, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { removed(first, last); });
    connect(&model_, &QAbstractItemModel::rowsMoved, this, &GridBinding::rebuild);
    connect(
        &model_, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex& from, const QModelIndex& to) { changed(from.row(), to.row()); });
    rebuild();
}

void GridBinding::fill(int row) {
    TVFPanel* cell = grid_.cellAt(row);
    if (cell == nullptr)
        return;
    const QModelIndex index = model_.index(row, 0);
    cell->SetTitle(model_.data(index, Qt::DisplayRole).toString());
    cell->SetPicture(model_.data(index, PictureRole).value<CellPicture>());
    cell->SetBookmark(model_.data(index, BookmarkRole).toLongLong());
    cell->SetPlayCount(model_.data(index, PlayCountRole).toInt());
    cell->SetSyncMark(model_.data(index, SyncMarkRole).toBool());
}

void GridBinding::rebuild() {
    grid_.clear();
    const int rows = model_.rowCount();
    for (int row = 0; row < rows; ++row) {
        grid_.addCell(QString());
        fill(row);
    }
    grid_.layOut();
}

void GridBinding::inserted(int first, int last) {
    // Rows come at the end (new videos and albums are appended); anything else rebuilds.
    if (first != grid_.count()) {
        rebuild();
        return;
    }
    for (int row = first; row <= last; ++row) {
        grid_.addCell(QString());
        fill(row);
    }
    // Videos added one by one show as they come, without laying the grid out for each.
    const int count = grid_.count();
    if (count == 1 || count % 16 == 0 || last > first)
        grid_.layOut();
}

void GridBinding::removed(int first, int last) {
    for (int row = last; row >= first; --row)
        grid_.removeCell(row);
    grid_.layOut();
}

void GridBinding::changed(int first, int last) {
    for (int row = std::max(first, 0); row <= last; ++row)
        fill(row);
}

} // namespace tavimo
