// Damaged ".cal" files and saves that cannot complete.

#include "FileFaults.h"
#include "SerialFaultFixture.h"
#include "caldata/CalFile.h"
#include "fixtures/ScriptedDVM.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

using State = CalFactorTable::CellState;
using Outcome = CalFactorOperations::Outcome;

class CalFileFaultTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    CalFactorOperations operations() { return CalFactorOperations(table, dvm, prompts); }
    QString path(const QString &name) const { return dir.filePath(name); }

    /// A grid as after "Load from Calibrator", with values in every factor cell of ranges 1-149.
    void fillGrid()
    {
        table.reshapeForFactors();
        for (int range = 1; range <= CalFactorTable::kLastRange; ++range) {
            table.setText(range, 0, CalFactorTable::rangeLabel(range));
            for (int column = 1; column <= 30; ++column)
                table.setText(range, column, QString::number(range * 100 + column));
        }
    }

    ScopedFakeClock fake;
    QTemporaryDir dir;
    CalFactorTable table;
    ScriptedDVM dvm;
    ScriptedPrompts prompts;
};

TEST_F(CalFileFaultTest, AFileOf10000Lines)
{
    describeCase("a .cal file of 10,000 lines",
                 "\"Calibration Settings Not Loaded\"; rows 1-149 keep what was read; nothing is sent");
    QByteArray contents;
    for (int line = 1; line <= 10000; ++line)
        contents +=
            CalFactorTable::rangeLabel(1 + (line - 1) % 149).toLatin1() + " , " + QByteArray::number(line) + ",\r\n";
    ASSERT_TRUE(writeAll(path("long.cal"), contents));
    prompts.fileNames.enqueue(path("long.cal"));
    EXPECT_EQ(operations().loadFromFile(), Outcome::Failed);
    EXPECT_EQ(prompts.texts(), QStringList({"Calibration Settings Not Loaded"}));
    EXPECT_EQ(table.text(149, 1), "149");
    EXPECT_EQ(table.state(149, 1), State::Pending);
    EXPECT_TRUE(dvm.sent.isEmpty());
}

TEST_F(CalFileFaultTest, AFileOfBinaryBytes)
{
    describeCase("a .cal file of 64 KiB of random bytes (NUL, 8-bit, CR, LF, commas)",
                 "loads without harm; a save then sends only cells that are whole 32-bit numbers, each as a "
                 "single clean command, and marks the others refused");
    QByteArray contents(64 * 1024, '\0');
    QRandomGenerator random(11);
    for (char &byte : contents)
        byte = char(random.bounded(256));
    // Commas and line ends often enough to make many short fields, a few of them numbers.
    for (int i = 0; i < contents.size(); i += 7)
        contents[i] = ",\r\n,5,-7,"[random.bounded(9)];
    ASSERT_TRUE(writeAll(path("binary.cal"), contents));
    prompts.fileNames.enqueue(path("binary.cal"));
    operations().loadFromFile();
    ASSERT_GT(table.pendingCount(), 0);

    dvm.sent.clear();
    const auto summary = operations().saveToCalibrator();
    const QRegularExpression clean(QStringLiteral("^CALIBRATION:SETCAL \\d{1,2},\\d{1,3},-?\\d{1,10}$"));
    int setCals = 0;
    for (const QString &command : dvm.commands()) {
        if (command.startsWith(QLatin1String("CALIBRATION:SETCAL"))) {
            ++setCals;
            EXPECT_TRUE(clean.match(command).hasMatch()) << command.toStdString();
        }
    }
    EXPECT_EQ(setCals, summary.accepted);
    EXPECT_GT(summary.rejected, 0);
}

TEST_F(CalFileFaultTest, AFileThatCannotBeRead)
{
    describeCase("a .cal path that is missing, or a folder",
                 "\"Calibration Settings Not Loaded\" with the grid as it was");
    fillGrid();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.cal")));
    for (const QString &name : {QStringLiteral("missing.cal"), QStringLiteral("folder.cal")}) {
        prompts.shown.clear();
        prompts.fileNames.enqueue(path(name));
        EXPECT_EQ(operations().loadFromFile(), Outcome::Failed) << name.toStdString();
        EXPECT_EQ(prompts.texts(), QStringList({"Calibration Settings Not Loaded"}));
        EXPECT_EQ(table.text(149, 30), "14930") << "a file that cannot be read leaves the grid alone";
    }
}

TEST_F(CalFileFaultTest, ASaveIntoAReadOnlyFolder)
{
    describeCase("\"Save to File\" over a backup in a folder that refuses new files",
                 "\"Backup not saved\"; the previous backup stays whole");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    const QString file = path(QStringLiteral("locked/meter.cal"));
    fillGrid();
    ASSERT_TRUE(CalFile::save(table, file));
    ReadOnlyFolder locked(path(QStringLiteral("locked")));
    if (!locked.isReadOnly())
        GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
    const QByteArray previous = readAll(file);
    table.setText(1, 1, QStringLiteral("-1"));
    prompts.fileNames.enqueue(file);
    EXPECT_EQ(operations().saveToFile(), Outcome::Failed);
    EXPECT_EQ(prompts.texts(), QStringList({"Backup not saved"}));
    EXPECT_EQ(readAll(file), previous);
}

TEST_F(CalFileFaultTest, ASaveOntoAFullDisk)
{
    describeCase("\"Save to File\" over a backup when the disk fills up during the write",
                 "\"Backup not saved\"; the previous backup stays whole; no temporary file is left");
    fillGrid();
    const QString file = path(QStringLiteral("meter.cal"));
    ASSERT_TRUE(CalFile::save(table, file));
    const QByteArray previous = readAll(file);
    table.setText(1, 1, QStringLiteral("-1"));
    prompts.fileNames.enqueue(file);
    {
        FileSizeLimit nearlyFull(4096);
        ASSERT_TRUE(nearlyFull.ok());
        EXPECT_EQ(operations().saveToFile(), Outcome::Failed);
    }
    EXPECT_EQ(prompts.texts(), QStringList({"Backup not saved"}));
    EXPECT_EQ(readAll(file), previous);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"meter.cal"}));
}

TEST_F(CalFileFaultTest, ASaveToTheFullDevice)
{
    describeCase("\"Save to File\" to /dev/full, a device that is always full",
                 "\"Backup not saved\"; the device is written in place, never replaced by a plain file");
    QString why;
    const QString full = fullDevice(dir.path(), &why);
    if (full.isEmpty())
        GTEST_SKIP() << why.toStdString();
    fillGrid();
    prompts.fileNames.enqueue(full);
    EXPECT_EQ(operations().saveToFile(), Outcome::Failed);
    EXPECT_EQ(prompts.texts(), QStringList({"Backup not saved"}));
    EXPECT_FALSE(QFileInfo(full).isFile()) << "the device must still be a device";
}

} // namespace
