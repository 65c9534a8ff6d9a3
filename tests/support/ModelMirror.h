#pragma once

#include "core/CellRoles.h"

#include <QAbstractItemModel>
#include <QObject>
#include <QStringList>

namespace tavimo::test {

// What a grid would show of a model, kept only through the model's change signals: a model
// that forgets to announce a change leaves the mirror behind, and the test sees it.
class ModelMirror : public QObject {
public:
    struct Cell {
        QString name;
        bool folderSync = false;
        qint64 bookmark = 0;
        qint32 count = 0;
    };

    explicit ModelMirror(const QAbstractItemModel& model) : model_(model) {
        connect(&model, &QAbstractItemModel::modelReset, this, [this] { rebuild(); });
        connect(&model, &QAbstractItemModel::layoutChanged, this, [this] { rebuild(); });
        connect(&model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex&, int first, int last) {
                    for (int row = first; row <= last; ++row)
                        cells.insert(row, read(row));
                });
        connect(&model, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex&, int first, int last) {
                    cells.remove(first, last - first + 1);
                });
        connect(&model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& from, const QModelIndex& to) {
                    for (int row = from.row(); row <= to.row(); ++row)
                        cells[row] = read(row);
                });
        rebuild();
    }

    QStringList names() const {
        QStringList list;
        for (const Cell& cell : cells)
            list.append(cell.name);
        return list;
    }

    QList<Cell> cells;

private:
    Cell read(int row) const {
        const QModelIndex index = model_.index(row, 0);
        return {model_.data(index, Qt::DisplayRole).toString(),
                model_.data(index, SyncMarkRole).toBool(),
                model_.data(index, BookmarkRole).toLongLong(),
                model_.data(index, PlayCountRole).toInt()};
    }
    void rebuild() {
        cells.clear();
        for (int row = 0; row < model_.rowCount(); ++row)
            cells.append(read(row));
    }

    const QAbstractItemModel& model_;
};

} // namespace tavimo::test
