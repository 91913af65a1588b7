#include "caldata/CalFactorTable.h"
#include "caldata/CalFile.h"
#include "caldata/SpecFile.h"
#include "caldata/SpecTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using State = SpecTable::CellState;

TEST(SpecFile, WritesTheVersionLineThenOneLinePerRowWithItsNonEmptyFigures)
{
    SpecTable table;
    table.setVersion(QStringLiteral("  V2a  "));
    table.ensureRow(3);
    table.setCell(1, 0, QStringLiteral("R001 200mV DC"), State::InStep);
    table.setCell(1, 1, QStringLiteral("15"), State::InStep);
    table.setCell(1, 2, QStringLiteral("5"), State::Pending);
    table.setCell(1, 14, QStringLiteral("0.5"), State::InStep);
    table.setCell(3, 0, QStringLiteral("R003 20V DC"), State::InStep);
    EXPECT_EQ(SpecFile::toBytes(table), QByteArray("Version V2a\r\n"
                                                   "R001 200mV DC , 15,5,0.5,\r\n"
                                                   " , \r\n"
                                                   "R003 20V DC , \r\n"));
}

TEST(SpecFile, ReadingTakesVersionSkipsCommentsAndFillsRowsPositionallyAsPending)
{
    const struct
    {
        const char *name;
        QByteArray contents;
        QString version;
        int rows;
    } cases[] = {
        {"only comments and a version", "# made by hand\r\nversion  ABC 1 \r\n#another\r\n", "ABC 1", 0},
        {"the version in any case", "VERSION x\nVersion y\n", "y", 0},
        {"VERSION glued to its text", "VersionQ7\r\n", "Q7", 0},
        {"rows around a comment", "Version 9\r\nR001 A , 1,2,\r\n# not a row\r\nR002 B , 3,\r\n", "9", 2},
        {"a line without a comma is still a row", "R001 A\r\nR002 B , 3,\r\n", "", 2},
    };
    for (const auto &c : cases) {
        SpecTable table;
        const SpecFile::ReadResult result = SpecFile::fill(table, c.contents);
        EXPECT_TRUE(result.complete) << c.name;
        EXPECT_EQ(result.rowsRead, c.rows) << c.name;
        EXPECT_EQ(table.version(), c.version) << c.name;
        EXPECT_EQ(table.rowCount(), qMax(SpecTable::kInitialRows, c.rows + 1)) << c.name;
        // The headings come from the grid, never from the file.
        EXPECT_EQ(table.text(0, 1), "ppm Reading (DC-40Hz)") << c.name;
        EXPECT_EQ(table.text(0, 14), "ppm Range (100kHz+)") << c.name;
    }

    SpecTable table;
    SpecFile::fill(table, "R001 A , 1 , 2,tail\r\nR002 B\r\nR003 C , 3,\r\n");
    EXPECT_EQ(table.text(1, 0), "R001 A");
    EXPECT_EQ(table.state(1, 0), State::InStep);
    EXPECT_EQ(table.text(1, 1), "1");
    EXPECT_EQ(table.text(1, 2), "2");
    EXPECT_EQ(table.text(1, 3), "") << "text after the last comma is no field";
    EXPECT_EQ(table.state(1, 1), State::Pending);
    EXPECT_EQ(table.text(2, 0), "");
    EXPECT_EQ(table.text(3, 1), "3");
    EXPECT_EQ(table.pendingCount(), 3);
}

TEST(SpecFile, FieldsBeyondTheFourteenthFigureAreIgnored)
{
    QByteArray line = "R001 A , ";
    for (int i = 1; i <= 20; ++i)
        line += QByteArray::number(i) + ',';
    SpecTable table;
    SpecFile::fill(table, line);
    EXPECT_EQ(table.text(1, 14), "14");
    EXPECT_EQ(table.pendingCount(), 14);
}

TEST(SpecFile, ARoundTripGivesBackTheTexts)
{
    SpecTable table;
    table.setVersion(QStringLiteral("R7"));
    for (int row = 1; row <= 80; ++row) {
        table.ensureRow(row);
        table.setCell(row, 0, QStringLiteral("R%1 1kOhm").arg(row, 3, 10, QLatin1Char('0')), State::InStep);
        for (int column = 1; column <= 14; ++column)
            table.setCell(row, column, QString::number(row * 0.25 + column), State::InStep);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.spec"));
    ASSERT_TRUE(SpecFile::save(table, path));
    QByteArray contents;
    ASSERT_TRUE(SpecFile::read(path, &contents));
    SpecTable back;
    SpecFile::fill(back, contents);
    EXPECT_EQ(back.version(), "R7");
    ASSERT_EQ(back.rowCount(), table.rowCount());
    for (int row = 1; row < table.rowCount(); ++row) {
        for (int column = 0; column < 15; ++column)
            ASSERT_EQ(back.text(row, column), table.text(row, column)) << row << "," << column;
    }
    EXPECT_EQ(back.pendingCount(), 80 * 14);
}

TEST(SpecFile, AFailedSaveLeavesTheExistingFileAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.spec"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Version old\r\n");
    }
    SpecTable table;
    // The name of a folder cannot take the file: nothing of the old one may be lost.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.spec")));
    QString error;
    EXPECT_FALSE(SpecFile::save(table, dir.filePath(QStringLiteral("folder.spec")), &error));
    EXPECT_FALSE(error.isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "Version old\r\n");
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.spec"});
}

TEST(TableFiles, AFigureWithACommaIsRefusedAndTheExistingFileKept)
{
    // Read back, "22,5" would be two figures and every later figure of the row would move one
    // column on: a later save to the instrument would write them to the wrong places.
    QTemporaryDir dir;
    const QString specPath = dir.filePath(QStringLiteral("t.spec"));
    const QString calPath = dir.filePath(QStringLiteral("t.cal"));
    for (const QString &path : {specPath, calPath}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old\r\n");
    }
    SpecTable spec;
    spec.ensureRow(2);
    spec.setCell(2, 3, QStringLiteral("22,5"), State::Pending);
    CalFactorTable cal;
    cal.reshapeForFactors();
    cal.setCell(7, 1, QStringLiteral("1,000"), CalFactorTable::CellState::Pending);

    QString specError;
    QString calError;
    EXPECT_FALSE(SpecFile::save(spec, specPath, &specError));
    EXPECT_FALSE(CalFile::save(cal, calPath, &calError));
    EXPECT_TRUE(specError.contains(QLatin1String("row 2, column 3 holds \"22,5\""))) << specError.toStdString();
    EXPECT_TRUE(calError.contains(QLatin1String("row 7, column 1 holds \"1,000\""))) << calError.toStdString();
    for (const QString &path : {specPath, calPath}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "old\r\n");
    }
    EXPECT_EQ(spec.state(2, 3), State::Pending) << "the table itself is left as it was";
}

} // namespace
