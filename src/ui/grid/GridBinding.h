#pragma once

#include <QObject>

class QAbstractItemModel;

namespace tavimo {

class ScrollBox;

// Keeps a grid's cells showing the rows of a book or an album: every insert, removal, move or
// change of the model reaches the cells, so the grid can never show a row that is gone or miss
// one that came. The cells hold only what they draw (title, picture handle, marks); the rows
// stay the model's.
class GridBinding : public QObject {
    Q_OBJECT
public:
    GridBinding(const QAbstractItemModel& model, ScrollBox& grid, QObject* parent = nullptr);

private:
    void rebuild();
    void inserted(int first, int last);
    void removed(int first, int last);
    void changed(int first, int last);
    void fill(int row);

    const QAbstractItemModel& model_;
    ScrollBox& grid_;
};

} // namespace tavimo
