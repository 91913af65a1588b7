#include "caldata/TableComparison.h"

#include "caldata/CalFactorOperations.h"
#include "caldata/CalFile.h"
#include "caldata/SpecTable.h"
#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using State = CellTable::CellState;

class TableComparisonTest : public ::testing::Test
{
protected:
    TableComparisonTest()
    {
        grid.reshapeForFactors();
        for (int row = 1; row <= 3; ++row) {
            for (int column = 1; column <= 4; ++column)
                grid.setCell(row, column, QString::number(row * 100 + column), State::InStep);
        }
    }

    /// The grid as it stands with some cells changed, saved as a ".cal" file.
    QString fileWith(const QString &name, const QList<CellTable::Mark> &changes)
    {
        CalFactorTable other;
        other.reshapeForFactors();
        for (int row = 1; row < grid.rowCount(); ++row) {
            for (int column = 1; column < grid.columnCount(); ++column)
                other.setText(row, column, grid.text(row, column));
        }
        for (const CellTable::Mark &change : changes)
            other.setText(change.row, change.column, change.otherText);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(CalFile::save(other, path));
        return path;
    }
    QString fileOfBytes(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QList<std::pair<int, int>> markedCells(const CellTable &table) const
    {
        QList<std::pair<int, int>> cells;
        for (int row = 0; row < table.rowCount(); ++row) {
            for (int column = 0; column < table.columnCount(); ++column) {
                if (table.mark(row, column))
                    cells.append({row, column});
            }
        }
        return cells;
    }
    TableComparison::Result compare(const QString &path) { return comparison.compareWith(path, prompts); }

    ScopedFakeClock fake;
    QTemporaryDir dir;
    CalFactorTable grid;
    ScriptedPrompts prompts;
    TableComparison comparison{grid, TableComparison::factors()};
};

TEST_F(TableComparisonTest, EqualTablesMarkNothingAndSaySo)
{
    const TableComparison::Result result = compare(fileWith(QStringLiteral("same.cal"), {}));
    EXPECT_EQ(result.outcome, OperationOutcome::Done);
    EXPECT_EQ(result.differing, 0);
    EXPECT_EQ(result.report, "No factor differs from same.cal");
    EXPECT_TRUE(markedCells(grid).isEmpty());
    EXPECT_TRUE(prompts.shown.isEmpty());
}

// A figure the engineer would read as the same number is no difference, however it is written;
// a missing figure against a written one is.
TEST_F(TableComparisonTest, FiguresAreComparedAsNumbersWhereBothAreNumbers)
{
    struct Case
    {
        const char *grid;
        const char *file;
        bool differs;
    };
    const Case cases[] = {
        {"1.5", "1.50", false}, {"2", "2.0", false}, {"-0.5", "-.5", false}, {"12.5", "12.6", true},
        {"", "3", true},        {"7", "", true},     {"abc", "abc", false},  {"abc", "ABC", true},
    };
    SpecTable specs;
    specs.initGrid();
    QByteArray file = "Version 1\r\nR001 200mV DC , ";
    for (int column = 1; column <= int(std::size(cases)); ++column) {
        specs.setCell(1, column, QString::fromLatin1(cases[column - 1].grid), State::InStep);
        file += QByteArray(cases[column - 1].file) + ",";
    }
    // The file's fields fill the columns by position, so an empty field keeps the later ones in place.
    const QString path = fileOfBytes(QStringLiteral("table.spec"), file + "\r\n");

    TableComparison figures(specs, TableComparison::figures());
    const TableComparison::Result result = figures.compareWith(path, prompts);
    EXPECT_EQ(result.report, "4 figures differ from table.spec");
    for (int column = 1; column <= int(std::size(cases)); ++column) {
        const Case &c = cases[column - 1];
        EXPECT_EQ(specs.mark(1, column).has_value(), c.differs) << c.grid << " against " << c.file;
        if (c.differs) {
            EXPECT_EQ(*specs.mark(1, column), QString::fromLatin1(c.file));
        }
    }
    EXPECT_EQ(TableComparison::markNote(specs, 1, 4), "File: 12.6");
    EXPECT_EQ(TableComparison::markNote(specs, 1, 6), "File: (empty)");
    EXPECT_EQ(TableComparison::markNote(specs, 1, 1), "") << "a cell not marked has no note of the comparison";
}

// The mark stands beside the state: what is to be written is still written, and a close still
// counts it as unwritten.
TEST_F(TableComparisonTest, APendingCellThatDiffersStaysToWriteAndIsWritten)
{
    grid.commit(1, 1, QStringLiteral("5"));
    const TableComparison::Result result = compare(fileWith(QStringLiteral("old.cal"), {{1, 1, "4"}}));
    EXPECT_EQ(result.report, "1 factor differs from old.cal");
    EXPECT_EQ(grid.mark(1, 1), QString("4"));
    EXPECT_EQ(grid.state(1, 1), State::Pending);
    EXPECT_EQ(grid.pendingCount(), 1);
    EXPECT_EQ(grid.unwrittenCount(), 1);
    EXPECT_EQ(TableComparison::markNote(grid, 1, 1), "File: 4\nChanged here and not written yet");

    ScriptedDVM dvm;
    CalFactorOperations operations(grid, dvm, prompts);
    operations.setVerifyWrites(false);
    EXPECT_TRUE(operations.save().complete());
    EXPECT_TRUE(dvm.commands().contains("CALIBRATION:SETCAL 0,1,5"));
    EXPECT_EQ(grid.state(1, 1), State::InStep);
    EXPECT_EQ(grid.mark(1, 1), QString("4")) << "written, the grid still differs from the file";
}

TEST_F(TableComparisonTest, MarksGoWithAnEditAReadingAFileLoadedAndASecondComparison)
{
    compare(fileWith(QStringLiteral("first.cal"), {{1, 1, "9"}, {2, 2, "9"}, {3, 3, "9"}}));
    ASSERT_EQ(markedCells(grid), (QList<std::pair<int, int>>{{1, 1}, {2, 2}, {3, 3}}));

    grid.commit(1, 1, QStringLiteral("9"));
    grid.commit(2, 2, grid.text(2, 2)); // the same text: no edit
    grid.setState(3, 3, State::Rejected, QStringLiteral("Refused"));
    EXPECT_EQ(markedCells(grid), (QList<std::pair<int, int>>{{2, 2}, {3, 3}})) << "only an edit takes a mark away";

    compare(fileWith(QStringLiteral("second.cal"), {{1, 4, "9"}}));
    EXPECT_EQ(markedCells(grid), (QList<std::pair<int, int>>{{1, 4}}))
        << "the second comparison's marks replace the first's";

    ScriptedDVM dvm;
    CalFactorOperations operations(grid, dvm, prompts);
    ASSERT_TRUE(operations.loadFile(fileWith(QStringLiteral("loaded.cal"), {}), nullptr));
    EXPECT_TRUE(markedCells(grid).isEmpty()) << "a file loaded";

    compare(fileWith(QStringLiteral("third.cal"), {{2, 1, "9"}}));
    ASSERT_FALSE(markedCells(grid).isEmpty());
    operations.load();
    EXPECT_TRUE(markedCells(grid).isEmpty()) << "the table read again";
}

TEST_F(TableComparisonTest, AFileThatCannotBeReadIsReportedAndLeavesTheMarksAsTheyWere)
{
    compare(fileWith(QStringLiteral("first.cal"), {{1, 1, "9"}}));
    QByteArray tooLong;
    for (int line = 0; line < CalFactorTable::kRows; ++line)
        tooLong += "000: x , 1,\r\n";
    const struct
    {
        QString path;
        QString reason;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.cal")), QStringLiteral("No such file or directory")},
        {fileOfBytes(QStringLiteral("long.cal"), tooLong), QStringLiteral("more lines than the table has rows (149)")},
    };
    for (const auto &c : cases) {
        prompts.shown.clear();
        const TableComparison::Result result = compare(c.path);
        EXPECT_EQ(result.outcome, OperationOutcome::Failed);
        ASSERT_EQ(prompts.shown.size(), 1);
        EXPECT_TRUE(prompts.shown[0].text.startsWith(c.path + QStringLiteral(" could not be read: ") + c.reason))
            << prompts.shown[0].text.toStdString();
        EXPECT_EQ(prompts.shown[0].title, "Compare with File");
        EXPECT_TRUE(result.report.startsWith(QStringLiteral("Not compared: ")));
        EXPECT_EQ(markedCells(grid), (QList<std::pair<int, int>>{{1, 1}}));
        EXPECT_EQ(grid.text(2, 1), "201") << "the grid itself is untouched";
    }
}

// The factor grid as it opens (70 ranges, 23 factors) against a whole file: what lies beyond it
// is counted, and said, but cannot be marked.
TEST_F(TableComparisonTest, DifferencesBeyondTheGridAreCountedButNotMarked)
{
    CalFactorTable opened;
    opened.setCell(1, 1, QStringLiteral("5"), State::InStep);
    // Range 1 holds 6 in its first factor and 7 in its thirtieth, range 100 holds 8.
    QByteArray file = "001 , 6," + QByteArray(28, ',') + "7,\r\n";
    for (int row = 2; row < 100; ++row)
        file += "x ,\r\n";
    file += "100 , 8,\r\n";
    const QString path = fileOfBytes(QStringLiteral("whole.cal"), file);

    TableComparison factors(opened, TableComparison::factors());
    const TableComparison::Result result = factors.compareWith(path, prompts);
    EXPECT_EQ(result.differing, 3);
    EXPECT_EQ(result.unshown, 2);
    EXPECT_EQ(result.report, "3 factors differ from whole.cal, 2 of them in rows or columns the grid does not have");
    EXPECT_EQ(markedCells(opened), (QList<std::pair<int, int>>{{1, 1}}));
    EXPECT_EQ(opened.rowCount(), CalFactorTable::kInitialRows) << "the grid is not reshaped for the file";
}

} // namespace
