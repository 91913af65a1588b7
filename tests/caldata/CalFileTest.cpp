#include "caldata/CalFile.h"

#include "caldata/CalFactorOperations.h"
#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using State = CalFactorTable::CellState;
using Outcome = CalFactorOperations::Outcome;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

TEST(CalFile, AFreshGridIs70LinesOfTheLabelSeparatorAlone)
{
    CalFactorTable table;
    QByteArray expected;
    for (int i = 0; i < 70; ++i)
        expected += " , \r\n";
    EXPECT_EQ(CalFile::toBytes(table), expected);
}

TEST(CalFile, EachLineIsTheLabelThenEveryNonEmptyValueWithItsCommaAndCrLf)
{
    CalFactorTable table;
    table.reshapeForFactors();
    table.setText(1, 0, CalFactorTable::rangeLabel(1));
    table.setText(1, 1, QStringLiteral("5"));
    table.setText(1, 2, QStringLiteral("-3"));
    table.setText(2, 0, CalFactorTable::rangeLabel(2));
    table.setText(2, 1, QStringLiteral("1"));
    table.setText(2, 3, QStringLiteral("3"));
    table.setCell(2, 66, QStringLiteral("66"), State::Pending);
    const QList<QByteArray> lines = CalFile::toBytes(table).split('\n');
    ASSERT_EQ(lines.size(), 150) << "149 lines, each ended by CR LF";
    EXPECT_EQ(lines[0], "001: 200mv DC , 5,-3,\r");
    EXPECT_EQ(lines[1], "002: 2V DC , 1,3,66,\r") << "empty cells are left out without a separator";
    EXPECT_EQ(lines[2], " , \r");
    EXPECT_EQ(lines[149], "");
}

TEST(CalFile, ReadingIsPositionalAndMarksEveryValueCellPending)
{
    CalFactorTable table;
    table.reshapeForFactors();
    const CalFile::ReadResult result = CalFile::fill(table,
                                                     "001: 200mv DC , 5,-3,\r\n"
                                                     "no comma at all\r\n"
                                                     "  003 , 1,,7,tail\n"
                                                     "004 ,\r"
                                                     "005 , 9,");
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.rowsRead, 5);
    EXPECT_EQ(table.text(1, 0), "001: 200mv DC");
    EXPECT_EQ(table.state(1, 0), State::InStep);
    EXPECT_EQ(table.text(1, 1), "5");
    EXPECT_EQ(table.text(1, 2), "-3");
    EXPECT_EQ(table.state(1, 1), State::Pending);
    EXPECT_EQ(table.state(1, 2), State::Pending);
    EXPECT_EQ(table.text(1, 3), "");
    EXPECT_EQ(table.state(1, 3), State::InStep);
    // A line without a comma loads nothing but still takes its row.
    EXPECT_EQ(table.text(2, 0), "");
    EXPECT_EQ(table.text(3, 0), "003");
    EXPECT_EQ(table.text(3, 1), "1");
    EXPECT_EQ(table.text(3, 2), "");
    EXPECT_EQ(table.state(3, 2), State::Pending) << "an empty field still fills its column";
    EXPECT_EQ(table.text(3, 3), "7");
    EXPECT_EQ(table.text(3, 4), "") << "text after the last comma is no field";
    EXPECT_EQ(table.text(4, 0), "004");
    EXPECT_EQ(table.text(5, 1), "9") << "a last line without a line end still counts";
    EXPECT_EQ(table.text(0, 1), "Positive") << "headings come from the grid's shape, never the file";
}

TEST(CalFile, AnEmptyCellInTheMiddleComesBackOneColumnFurtherLeft)
{
    CalFactorTable table;
    table.reshapeForFactors();
    table.setText(1, 0, QStringLiteral("001"));
    table.setText(1, 1, QStringLiteral("1"));
    table.setText(1, 3, QStringLiteral("3"));
    const QByteArray bytes = CalFile::toBytes(table);
    CalFactorTable back;
    back.reshapeForFactors();
    CalFile::fill(back, bytes);
    EXPECT_EQ(back.text(1, 1), "1");
    EXPECT_EQ(back.text(1, 2), "3");
    EXPECT_EQ(back.text(1, 3), "");
}

TEST(CalFile, AGridTheFileCannotCarryIsNotSavedSoNoFactorMovesWhenItIsRead)
{
    struct Case
    {
        QStringList values; // columns 1 onward of row 1
        bool saved;
        const char *named; // in the reason when not saved
    };
    const Case cases[] = {
        {{"1", "2", "", ""}, true, ""},
        {{"1", "", "3"}, false, "column 2 is empty but column 3 holds"},
        {{"", "2"}, false, "row 1, column 1 is empty but column 2 holds \"2\""},
        {{"1", "1,5"}, false, "a comma cannot be kept"},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        CalFactorTable table;
        table.reshapeForFactors();
        table.setText(1, 0, QStringLiteral("001"));
        for (int i = 0; i < c.values.size(); ++i)
            table.setText(1, i + 1, c.values[i]);
        ScriptedDVM dvm;
        ScriptedPrompts prompts;
        const QString path = dir.filePath(c.values.join(QLatin1Char('_')) + QStringLiteral(".cal"));
        QString error;
        EXPECT_EQ(CalFactorOperations(table, dvm, prompts).saveFile(path, &error), c.saved)
            << c.values.join('|').toStdString();
        EXPECT_EQ(QFile::exists(path), c.saved);
        if (!c.saved)
            EXPECT_TRUE(error.contains(QLatin1String(c.named))) << error.toStdString();
    }
}

TEST(CalFile, OnlyTheFirst67FieldsOfALineAreTaken)
{
    QByteArray line = "label , ";
    for (int i = 1; i < 70; ++i)
        line += QByteArray::number(i) + ',';
    CalFactorTable table;
    table.reshapeForFactors();
    CalFile::fill(table, line + "\r\n");
    EXPECT_EQ(table.text(1, 0), "label");
    EXPECT_EQ(table.text(1, 66), "66");
    EXPECT_EQ(table.columnCount(), 67);
}

TEST(CalFile, MoreLinesThanRowsStopsTheReadingAndKeepsTheRowsRead)
{
    QByteArray contents;
    for (int i = 1; i <= 151; ++i)
        contents += QByteArray::number(i) + " , " + QByteArray::number(i * 10) + ",\r\n";
    CalFactorTable table;
    table.reshapeForFactors();
    const CalFile::ReadResult result = CalFile::fill(table, contents);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.rowsRead, 149);
    EXPECT_EQ(table.text(149, 1), "1490");
    EXPECT_EQ(table.rowCount(), 150);
}

TEST(CalFile, RoundTripGivesBackTheTextsWithEveryValuePending)
{
    CalFactorTable table;
    table.reshapeForFactors();
    for (int row = 1; row < 150; ++row) {
        table.setText(row, 0, CalFactorTable::rangeLabel(row));
        for (int column = 1; column <= (row % 7) * 9; ++column)
            table.setText(row, column, QString::number((row * 131 + column * 17) % 6001 - 3000));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.cal"));
    ASSERT_TRUE(CalFile::save(table, path));

    CalFactorTable back;
    QByteArray contents;
    ASSERT_TRUE(CalFile::read(path, &contents));
    back.reshapeForFactors();
    EXPECT_TRUE(CalFile::fill(back, contents).complete);
    for (int row = 0; row < 150; ++row) {
        for (int column = 0; column < 67; ++column) {
            ASSERT_EQ(back.text(row, column), table.text(row, column)) << row << "," << column;
            const bool value = row > 0 && column > 0 && !table.text(row, column).isEmpty();
            ASSERT_EQ(back.state(row, column) == State::Pending, value) << row << "," << column;
        }
    }
    EXPECT_EQ(CalFile::toBytes(back), readAll(path));
}

TEST(CalFile, DefaultNameCarriesTheDateWithTheLocalesMonthAbbreviation)
{
    const QDate date(2026, 12, 8);
    EXPECT_EQ(CalFile::defaultFileName(date, QLocale(QLocale::English)), "CalibratorBackup-08Dec26.cal");
    const QLocale german(QLocale::German);
    EXPECT_EQ(CalFile::defaultFileName(date, german),
              "CalibratorBackup-08" + german.monthName(12, QLocale::ShortFormat) + "26.cal");
    EXPECT_EQ(CalFile::defaultFileName(QDate(2031, 3, 1), QLocale(QLocale::English)), "CalibratorBackup-01Mar31.cal");
}

// --- the window's file operations with their dialogs and messages ---

class CalFileOperationsTest : public ::testing::Test
{
protected:
    CalFactorOperations operations()
    {
        TableOperation::Hooks hooks;
        hooks.outcome = [this](const QString &text) { outcomes << text; };
        return CalFactorOperations(table, dvm, prompts, hooks);
    }

    QStringList outcomes; ///< what the window's status line was told
    ScopedFakeClock fake;
    CalFactorTable table;
    ScriptedDVM dvm;
    ScriptedPrompts prompts;
    QTemporaryDir dir;
};

TEST_F(CalFileOperationsTest, SaveToFileSuggestsTodaysNameAndKeepsCellStates)
{
    QLocale::setDefault(QLocale(QLocale::English));
    table.reshapeForFactors();
    table.setCell(1, 1, QStringLiteral("5"), State::Pending);
    const QString path = dir.filePath(QStringLiteral("a.cal"));
    prompts.fileNames.enqueue(path);
    EXPECT_EQ(operations().saveToFile(), Outcome::Done);
    ASSERT_EQ(prompts.dialogs.size(), 1);
    EXPECT_EQ(prompts.dialogs[0][1], "Cal Files (*.cal)");
    EXPECT_EQ(prompts.dialogs[0][2], "CalibratorBackup-08Dec26.cal") << "the fake clock's date is 8 Dec 2026";
    EXPECT_EQ(prompts.dialogs[0][3], "cal");
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(outcomes, QStringList({"Saved to " + path}));
    EXPECT_EQ(table.state(1, 1), State::Pending);
    EXPECT_EQ(readAll(path), CalFile::toBytes(table));
    QLocale::setDefault(QLocale::system());
}

TEST_F(CalFileOperationsTest, ACancelledOrFailedSaveSaysBackupNotSaved)
{
    EXPECT_EQ(operations().saveToFile(), Outcome::Cancelled);
    prompts.fileNames.enqueue(dir.filePath(QStringLiteral("no/such/folder/a.cal")));
    EXPECT_EQ(operations().saveToFile(), Outcome::Failed);
    prompts.fileNames.enqueue(dir.path());
    EXPECT_EQ(operations().saveToFile(), Outcome::Failed);
    ASSERT_EQ(prompts.shown.size(), 3);
    for (const auto &shown : prompts.shown) {
        EXPECT_EQ(shown.text, "Backup not saved");
        EXPECT_EQ(shown.icon, Prompts::Icon::Critical);
    }
}

TEST_F(CalFileOperationsTest, ACancelledLoadKeepsTheGridAndItsPendingEditsWithoutAnErrorBox)
{
    table.reshapeForFactors();
    table.setText(3, 0, QStringLiteral("003: 20V DC"));
    table.setCell(3, 2, QStringLiteral("77"), State::Pending);
    EXPECT_EQ(operations().loadFromFile(), Outcome::Cancelled);
    EXPECT_TRUE(prompts.shown.isEmpty()) << "choosing no file is no error";
    EXPECT_EQ(outcomes, QStringList({"Load cancelled"}));
    EXPECT_EQ(table.text(3, 2), "77");
    EXPECT_EQ(table.state(3, 2), State::Pending);
    EXPECT_EQ(table.text(3, 0), "003: 20V DC");
}

TEST_F(CalFileOperationsTest, AnUnreadableFileKeepsTheGridAndALongFileKeepsWhatWasRead)
{
    table.setCell(3, 2, QStringLiteral("77"), State::Pending);
    prompts.fileNames.enqueue(dir.filePath(QStringLiteral("missing.cal")));
    EXPECT_EQ(operations().loadFromFile(), Outcome::Failed);
    EXPECT_EQ(table.text(3, 2), "77");
    EXPECT_EQ(table.rowCount(), 71);

    QByteArray contents;
    for (int i = 1; i <= 150; ++i)
        contents += "r , " + QByteArray::number(i) + ",\r\n";
    const QString path = dir.filePath(QStringLiteral("long.cal"));
    ASSERT_TRUE(writeAll(path, contents));
    prompts.fileNames.enqueue(path);
    EXPECT_EQ(operations().loadFromFile(), Outcome::Failed);
    EXPECT_EQ(prompts.texts(), QStringList({"Calibration Settings Not Loaded", "Calibration Settings Not Loaded"}));
    EXPECT_EQ(table.rowCount(), 150);
    EXPECT_EQ(table.text(149, 1), "149");
    EXPECT_EQ(table.text(3, 2), "");
}

TEST_F(CalFileOperationsTest, LoadingAFileReshapesTheGridAndReplacesItsContents)
{
    table.setCell(60, 20, QStringLiteral("x"), State::Rejected);
    const QString path = dir.filePath(QStringLiteral("b.cal"));
    ASSERT_TRUE(writeAll(path, "001: 200mv DC , 5,-3,\r\n"));
    prompts.fileNames.enqueue(path);
    EXPECT_EQ(operations().loadFromFile(), Outcome::Done);
    EXPECT_TRUE(prompts.shown.isEmpty());
    ASSERT_EQ(prompts.dialogs.size(), 1);
    EXPECT_EQ(prompts.dialogs[0][1], "Cal Files (*.cal)");
    EXPECT_EQ(prompts.dialogs[0][2], "");
    EXPECT_EQ(table.rowCount(), 150);
    EXPECT_EQ(table.columnCount(), 67);
    EXPECT_EQ(table.text(60, 20), "");
    EXPECT_EQ(table.state(60, 20), State::InStep);
    EXPECT_EQ(table.text(1, 2), "-3");
    EXPECT_EQ(table.pendingCount(), 2);
    EXPECT_TRUE(dvm.sent.isEmpty());
}

} // namespace
