#include "caldata/CalFactorTable.h"

#include <gtest/gtest.h>

namespace {

using State = CalFactorTable::CellState;

TEST(CalFactorTable, OpensAt71By24WithoutHeadings)
{
    CalFactorTable table;
    EXPECT_EQ(table.rowCount(), 71);
    EXPECT_EQ(table.columnCount(), 24);
    EXPECT_EQ(table.text(0, 1), "");
}

TEST(CalFactorTable, WorkingShapeHasFixedAndFrequencyHeadingsAndNoneBeyondTheNamedPoints)
{
    CalFactorTable table;
    table.setCell(3, 3, QStringLiteral("5"), State::Pending);
    table.reshapeForFactors();
    EXPECT_EQ(table.rowCount(), 150);
    EXPECT_EQ(table.columnCount(), 67);
    const QList<std::pair<int, QString>> headings = {
        {0, ""},      {1, "Positive"}, {2, "Negative"}, {3, "Zero"}, {4, "Misc"}, {5, "10Hz"},
        {11, "1kHz"}, {29, "1MHz"},    {30, ""},        {34, ""},    {35, ""},    {66, ""}};
    for (const auto &[column, heading] : headings)
        EXPECT_EQ(table.text(0, column), heading) << column;
    EXPECT_EQ(table.text(3, 3), "");
    EXPECT_EQ(table.state(3, 3), State::InStep);
}

TEST(CalFactorTable, RowLabelsCarryThreeDigitsAndTheRangeName)
{
    EXPECT_EQ(CalFactorTable::rangeLabel(1), "001: 200mv DC");
    EXPECT_EQ(CalFactorTable::rangeLabel(7), "007: Unused");
    EXPECT_EQ(CalFactorTable::rangeLabel(135), "135: Adapter");
}

TEST(CalFactorTable, ColumnsOneTo62HoldFactorIndexes0To61)
{
    EXPECT_EQ(CalFactorTable::factorIndexOfColumn(0), -1);
    EXPECT_EQ(CalFactorTable::factorIndexOfColumn(1), 0);
    EXPECT_EQ(CalFactorTable::factorIndexOfColumn(62), 61);
    EXPECT_EQ(CalFactorTable::factorIndexOfColumn(63), -1);
}

TEST(CalFactorTable, CommitMakesAChangedTextPendingAndLeavesTheSameTextAlone)
{
    CalFactorTable table;
    table.reshapeForFactors();
    table.setCell(1, 1, QStringLiteral("12"), State::InStep);
    table.setCell(1, 2, QStringLiteral("7"), State::Rejected);
    int changed = 0;
    QObject::connect(&table, &CalFactorTable::cellChanged, [&changed] { ++changed; });

    EXPECT_FALSE(table.commit(1, 1, QStringLiteral("12")));
    EXPECT_EQ(table.state(1, 1), State::InStep);
    EXPECT_FALSE(table.commit(1, 2, QStringLiteral("7")));
    EXPECT_EQ(table.state(1, 2), State::Rejected);
    EXPECT_EQ(changed, 0);

    // Any change counts, numeric or not; the save decides what it can send.
    EXPECT_TRUE(table.commit(1, 1, QStringLiteral("twelve")));
    EXPECT_EQ(table.text(1, 1), "twelve");
    EXPECT_EQ(table.state(1, 1), State::Pending);
    EXPECT_TRUE(table.commit(1, 2, QStringLiteral("")));
    EXPECT_EQ(table.state(1, 2), State::Pending);
    EXPECT_EQ(changed, 2);
    EXPECT_FALSE(table.commit(150, 1, QStringLiteral("1")));
}

TEST(CalFactorTable, PendingCountSkipsEmptyPendingCells)
{
    CalFactorTable table;
    table.reshapeForFactors();
    table.setCell(1, 1, QStringLiteral("1"), State::Pending);
    table.setCell(1, 2, QString(), State::Pending);
    table.setCell(2, 1, QStringLiteral("3"), State::Rejected);
    EXPECT_EQ(table.pendingCount(), 1);
}

} // namespace
