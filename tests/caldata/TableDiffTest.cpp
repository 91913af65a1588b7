#include "caldata/TableDiff.h"

#include "caldata/SpecTable.h"

#include <gtest/gtest.h>

namespace {

TEST(TableDiff, FiguresAreComparedAsNumbersWhereBothAreNumbers)
{
    struct Case
    {
        const char *left;
        const char *right;
        bool same;
    };
    const Case cases[] = {
        {"1.5", "1.50", true}, {" 7", "7", true},      {"1e3", "1000", true}, {"-0", "0", true}, {"abc", "abc", true},
        {"", "0", false},      {"1.5", "1.51", false}, {"x", "y", false},     {"", "", true},    {"12a", "12", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TableDiff::sameFigure(QString::fromLatin1(c.left), QString::fromLatin1(c.right)), c.same)
            << c.left << " | " << c.right;
}

TEST(TableDiff, ListsEveryDifferingFigureBelowTheHeadingsAndCountsMissingRowsAsEmpty)
{
    SpecTable left;
    left.initGrid();
    SpecTable right;
    right.initGrid();
    left.ensureRow(3);
    right.ensureRow(3);
    left.setText(1, 2, QStringLiteral("0.5"));
    right.setText(1, 2, QStringLiteral("0.50"));
    left.setText(2, 3, QStringLiteral("1"));
    right.setText(2, 3, QStringLiteral("2"));
    right.setText(0, 4, QStringLiteral("a heading, not a figure"));
    const int extra = right.rowCount() + 2;
    right.ensureRow(extra);
    right.setText(extra, 1, QStringLiteral("9"));

    const QList<TableDiff::Difference> differences = TableDiff::between(left, right);
    ASSERT_EQ(differences.size(), 2);
    EXPECT_EQ(differences.at(0).row, 2);
    EXPECT_EQ(differences.at(0).column, 3);
    EXPECT_EQ(differences.at(0).left, QStringLiteral("1"));
    EXPECT_EQ(differences.at(0).right, QStringLiteral("2"));
    EXPECT_EQ(differences.at(1).row, extra);
    EXPECT_EQ(differences.at(1).left, QString());
    EXPECT_TRUE(TableDiff::place(right, differences.at(1)).startsWith(QLatin1String("row ")));
}

} // namespace
