#include "core/RowModel.h"

#include "support/ModelMirror.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QList<QString> lettersOf(const QString& text) {
    QList<QString> rows;
    for (QChar c : text)
        rows.append(QString(c));
    return rows;
}

QString joined(const QList<QString>& rows) {
    return rows.join(QString());
}

// Moves a block of "ABCDEF" and answers the rows afterwards and the span reported changed.
struct Moved {
    QString rows;
    RowSpan changed;
};
Moved moved(int first, int n, int destination) {
    QList<QString> rows = lettersOf(QStringLiteral("ABCDEF"));
    const RowSpan changed = moveBlock(rows, first, n, destination);
    return {joined(rows), changed};
}

// A row model of one letter a row, counting what it is told about rearrangements.
class Letters : public RowModel<QString> {
public:
    explicit Letters(const QString& text) {
        for (const QString& letter : lettersOf(text))
            appendRow(letter);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !isValidIndex(index.row()))
            return {};
        return rows_.at(index.row());
    }
    QString text() const { return joined(rows_); }
    using RowModel::insertRowAt;
    using RowModel::removeRowAt;

    int rearranged = 0;

private:
    void rowsRearranged() override { ++rearranged; }
};

} // namespace

TEST(RowOrder, ABlockMovesBeforeItsDestinationAndTheRowsItPassesKeepTheirOrder) {
    // To the end, to the front, one place either way, and past several rows.
    EXPECT_EQ(moved(1, 2, 6).rows, "ADEFBC");
    EXPECT_EQ(moved(1, 2, 6).changed.first, 1);
    EXPECT_EQ(moved(1, 2, 6).changed.last, 5);
    EXPECT_EQ(moved(3, 2, 0).rows, "DEABCF");
    EXPECT_EQ(moved(3, 2, 0).changed.first, 0);
    EXPECT_EQ(moved(3, 2, 0).changed.last, 4);
    EXPECT_EQ(moved(2, 1, 4).rows, "ABDCEF"); // one row on by one: the two change places
    EXPECT_EQ(moved(2, 1, 4).changed.first, 2);
    EXPECT_EQ(moved(2, 1, 4).changed.last, 3);
    EXPECT_EQ(moved(2, 1, 1).rows, "ACBDEF");
    EXPECT_EQ(moved(0, 1, 6).rows, "BCDEFA");
    EXPECT_EQ(moved(5, 1, 0).rows, "FABCDE");
    EXPECT_EQ(moved(0, 5, 6).rows, "FABCDE");
}

TEST(RowOrder, AMoveToWhereTheBlockStandsOrOfNothingChangesNothing) {
    for (const auto& [first, n, destination] : std::initializer_list<std::tuple<int, int, int>>{
             {2, 2, 2},  // before itself
             {2, 2, 3},  // into itself
             {2, 2, 4},  // just after itself
             {0, 6, 6},  // every row, to the end
             {2, 0, 5},  // an empty selection
             {2, -1, 5}, // a negative one
             {-1, 2, 5}, // starting before the rows
             {5, 2, 0},  // reaching past them
             {6, 1, 0},  // starting after them
             {1, 2, 7},  // to beyond the end
             {1, 2, -1}, // to before the front
         }) {
        const Moved result = moved(first, n, destination);
        EXPECT_EQ(result.rows, "ABCDEF") << first << ' ' << n << ' ' << destination;
        EXPECT_TRUE(result.changed.isEmpty()) << first << ' ' << n << ' ' << destination;
    }
    QList<QString> none;
    EXPECT_TRUE(moveBlock(none, 0, 1, 0).isEmpty());
}

TEST(RowOrder, AStepStopsAtTheEndsAndNeedsTwoRows) {
    EXPECT_EQ(steppedIndex(5, 2, RowStep::Back), 1);
    EXPECT_EQ(steppedIndex(5, 2, RowStep::Forward), 3);
    EXPECT_EQ(steppedIndex(5, 2, RowStep::ToFront), 0);
    EXPECT_EQ(steppedIndex(5, 2, RowStep::ToEnd), 4);
    // Already there: the first back or to the front, the last on or to the end.
    EXPECT_EQ(steppedIndex(5, 0, RowStep::Back), 0);
    EXPECT_EQ(steppedIndex(5, 0, RowStep::ToFront), 0);
    EXPECT_EQ(steppedIndex(5, 4, RowStep::Forward), 4);
    EXPECT_EQ(steppedIndex(5, 4, RowStep::ToEnd), 4);
    // No selection, a stale one, or a single row.
    EXPECT_EQ(steppedIndex(5, -1, RowStep::ToEnd), -1);
    EXPECT_EQ(steppedIndex(5, 5, RowStep::Back), 5);
    EXPECT_EQ(steppedIndex(1, 0, RowStep::ToEnd), 0);
    EXPECT_EQ(steppedIndex(0, 0, RowStep::Forward), 0);
}

TEST(RowModel, StepsMoveWholeRowsAndTellTheGridAndTheOwnerOnce) {
    Letters model(QStringLiteral("ABCDE"));
    test::ModelMirror grid(model);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    EXPECT_EQ(model.step(1, RowStep::ToEnd), 4);
    EXPECT_EQ(model.text(), "ACDEB");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex().row(), 1);
    EXPECT_EQ(changed.at(0).at(1).toModelIndex().row(), 4);
    EXPECT_EQ(model.step(4, RowStep::Back), 3);
    EXPECT_EQ(model.step(3, RowStep::ToFront), 0);
    EXPECT_EQ(model.step(0, RowStep::Forward), 1);
    EXPECT_EQ(model.text(), "ABCDE");
    EXPECT_EQ(grid.names(), (QStringList{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(model.rearranged, 4);

    // Nothing moves: nothing is announced and nothing becomes due.
    changed.clear();
    EXPECT_FALSE(model.canStep(0, RowStep::Back));
    EXPECT_EQ(model.step(0, RowStep::Back), 0);
    EXPECT_EQ(model.step(4, RowStep::ToEnd), 4);
    EXPECT_EQ(model.step(-1, RowStep::Forward), -1);
    EXPECT_FALSE(model.moveRowBlock(1, 2, 2));
    EXPECT_FALSE(model.moveRowBlock(1, 0, 4));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(model.rearranged, 4);

    EXPECT_TRUE(model.moveRowBlock(0, 2, 5));
    EXPECT_EQ(grid.names(), (QStringList{"C", "D", "E", "A", "B"}));
    EXPECT_EQ(model.rearranged, 5);
}

TEST(RowModel, ReorderTakesOnlyAPermutationAndInsertsAndRemovalsReachTheGrid) {
    Letters model(QStringLiteral("ABCD"));
    test::ModelMirror grid(model);
    model.reorder({3, 1, 0, 2});
    EXPECT_EQ(model.text(), "DBAC");
    EXPECT_EQ(grid.names(), (QStringList{"D", "B", "A", "C"}));
    EXPECT_EQ(model.rearranged, 1);
    for (const QList<int>& order : {QList<int>{0, 0, 1, 2}, QList<int>{0, 1, 2},
                                    QList<int>{0, 1, 2, 4}, QList<int>{-1, 0, 1, 2}})
        model.reorder(order);
    EXPECT_EQ(model.text(), "DBAC");
    EXPECT_EQ(model.rearranged, 1);

    model.insertRowAt(1, QStringLiteral("X"));
    model.removeRowAt(3);
    EXPECT_EQ(model.text(), "DXBC");
    EXPECT_EQ(grid.names(), (QStringList{"D", "X", "B", "C"}));
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.rowCount(model.index(0)), 0); // a list has no children
}
