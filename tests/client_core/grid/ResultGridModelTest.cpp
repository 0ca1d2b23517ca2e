// Sorting the result model: a strict order for mixed columns, and the
// selection follows its row.
#include "CResultGridModel.h"

#include <QItemSelectionModel>
#include <gtest/gtest.h>

namespace {

CResultGridModel::Row MakeRow(const QString& a, const QString& b)
{
    CResultGridModel::Row row;
    row.cells << a << b;
    return row;
}

QStringList Column(const CResultGridModel& model, int column)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r) texts << model.Text(r, column);
    return texts;
}

}  // namespace

TEST(ResultGridModel, SortsNumbersBeforeTextsAndKeepsTies)
{
    CResultGridModel model;
    model.Reset({"A", "B"}, {"A", "B"});
    QVector<CResultGridModel::Row> rows;
    // "2" < "10" as numbers, "10" < "1a" and "1a" < "2" as texts: a naive
    // comparison has no order here.
    for (const char* text : {"1a", "10", "2", "b", "B", "", "2", "-3.5"})
        rows << MakeRow(QString::fromUtf8(text), QString::number(rows.size()));
    model.AppendRows(std::move(rows));

    model.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(Column(model, 0), QStringList({"-3.5", "2", "2", "10", "", "1a", "b", "B"}));
    EXPECT_EQ(Column(model, 1), QStringList({"7", "2", "6", "1", "5", "0", "3", "4"}));
    model.sort(0, Qt::DescendingOrder);
    EXPECT_EQ(Column(model, 0), QStringList({"b", "B", "1a", "", "10", "2", "2", "-3.5"}));
}

TEST(ResultGridModel, SelectionFollowsItsRowThroughASort)
{
    CResultGridModel model;
    model.Reset({"ID", "S"}, {"ID", "S"});
    QVector<CResultGridModel::Row> rows;
    for (int i = 0; i < 50; ++i) rows << MakeRow(QString::number(i), QString::number(49 - i));
    model.AppendRows(std::move(rows));
    model.SetRowColour(10, Qt::red);
    QItemSelectionModel selection(&model);
    selection.setCurrentIndex(model.index(10, 0), QItemSelectionModel::ClearAndSelect);

    model.sort(1, Qt::AscendingOrder);
    EXPECT_EQ(selection.currentIndex().row(), 39);
    EXPECT_EQ(model.Text(39, 0), "10");
    EXPECT_EQ(model.RowColour(39), QColor(Qt::red));
    model.sort(-1, Qt::AscendingOrder);  // no column: nothing changes
    EXPECT_EQ(model.Text(39, 0), "10");
}
