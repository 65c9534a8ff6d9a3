#pragma once

#include "core/RowOrder.h"

#include <QAbstractListModel>
#include <QList>

namespace tavimo {

// A list model of one list of rows: the book (a row per album) and the open album (a row per
// video) are both one. Inserts, removals, moves and sorts take whole rows, so nothing that
// belongs to a row can stay behind, and each is announced as a model change, so the grid
// drawing the rows follows on its own. Moves and sorts are done here, once for both; the
// derived model says what they mean for saving (rowsRearranged).
template <class Row> class RowModel : public QAbstractListModel {
public:
    int count() const { return int(rows_.size()); }
    int lastIndex() const { return count() - 1; }
    bool isValidIndex(int i) const { return i >= 0 && i < count(); }
    const QList<Row>& rows() const { return rows_; }

    // Moves the block of n rows at first to stand before the row at destination (moveBlock).
    // False when nothing moved.
    bool moveRowBlock(int first, int n, int destination) {
        const RowSpan changed = moveBlock(rows_, first, n, destination);
        if (changed.isEmpty())
            return false;
        Q_EMIT this->dataChanged(this->index(changed.first), this->index(changed.last));
        rowsRearranged();
        return true;
    }
    bool canStep(int current, RowStep how) const {
        return steppedIndex(count(), current, how) != current;
    }
    // Moves the row at current one place back or forward, to the front or to the end. Answers
    // its index afterwards (current when it could not move).
    int step(int current, RowStep how) {
        const int to = steppedIndex(count(), current, how);
        if (to != current)
            moveRowBlock(current, 1, destinationFor(current, to));
        return to;
    }
    // Puts the rows in the order given: order[k] is the old index of the row that goes to
    // index k. Ignored unless order is a permutation of 0..count-1.
    void reorder(const QList<int>& order) {
        if (!reorderRows(rows_, order))
            return;
        if (!rows_.isEmpty())
            Q_EMIT this->dataChanged(this->index(0), this->index(lastIndex()));
        rowsRearranged();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : count();
    }

protected:
    // Rows changed places: whatever stores them in order is due.
    virtual void rowsRearranged() = 0;

    void insertRowAt(int i, Row row) {
        this->beginInsertRows({}, i, i);
        rows_.insert(i, std::move(row));
        this->endInsertRows();
    }
    void appendRow(Row row) { insertRowAt(count(), std::move(row)); }
    void removeRowAt(int i) {
        this->beginRemoveRows({}, i, i);
        rows_.removeAt(i);
        this->endRemoveRows();
    }
    void rowUpdated(int i, const QList<int>& roles = {}) {
        Q_EMIT this->dataChanged(this->index(i), this->index(i), roles);
    }

    QList<Row> rows_;
};

} // namespace tavimo
