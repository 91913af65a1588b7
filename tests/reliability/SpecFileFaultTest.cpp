// Damaged ".spec" files and saves that cannot complete, in the specifications window's operations
// and in the command-line tool.

#include "FileFaults.h"
#include "SerialFaultFixture.h"
#include "caldata/SpecFile.h"
#include "caldata/SpecOperations.h"
#include "caldata/SpecTable.h"
#include "cli/CliHarness.h"
#include "fixtures/ScriptedDVM.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

using State = SpecTable::CellState;
using Outcome = SpecOperations::Outcome;

/// The window's operations on a scripted instrument; the command-line tool on the virtual
/// calibrator.
class SpecFileFaultTest : public SerialFaultTest
{
protected:
    void SetUp() override
    {
        SerialFaultTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        QObject::connect(&sim.front, &PtyFront::lineReceived, &sim.front, [this](const QByteArray &line) {
            if (!line.trimmed().isEmpty())
                ++linesHeard;
        });
    }

    SpecOperations specOperations() { return SpecOperations(specs, scripted, prompts); }
    QString path(const QString &name) const { return dir.filePath(name); }
    CliResult cli(QStringList arguments)
    {
        arguments << QStringLiteral("--port") << sim.devicePath();
        return runTool(arguments);
    }

    /// A table as after "Load From Meter" with every figure of rows 1-70 filled, and a version.
    void fillTable()
    {
        specs.setVersion(QStringLiteral("V7"));
        for (int row = 1; row <= SpecTable::kLastWritableRow; ++row) {
            specs.ensureRow(row);
            specs.setText(row, 0, QStringLiteral("R%1 range").arg(row, 3, 10, QLatin1Char('0')));
            for (int column = 1; column < SpecTable::kColumns; ++column)
                specs.setText(row, column, QString::number(row * 100 + column));
        }
    }

    QTemporaryDir dir;
    SpecTable specs;
    ScriptedDVM scripted;
    int linesHeard = 0;
};

TEST_F(SpecFileFaultTest, AFileOf10000Lines)
{
    describeCase("a .spec file of 10,000 rows, in \"Load from File\" and in spec write",
                 "\"Error loading specifications: more than 9999 rows\"; nothing is sent; the rows the instrument "
                 "holds (1-70) are the file's own; the command-line tool exits 1 saying nothing was sent");
    QByteArray contents = "Version LONG\r\n";
    for (int line = 1; line <= 10000; ++line)
        contents += "R" + QByteArray::number(line) + " , " + QByteArray::number(line) + ",\r\n";
    ASSERT_TRUE(writeAll(path("long.spec"), contents));

    prompts.fileNames.enqueue(path("long.spec"));
    EXPECT_EQ(specOperations().loadFromFile(), Outcome::Failed);
    EXPECT_EQ(prompts.texts(), QStringList{"Error loading specifications: more than 9999 rows"});
    EXPECT_TRUE(scripted.sent.isEmpty());
    EXPECT_EQ(specs.rowCount(), SpecTable::kMaxRows);
    EXPECT_EQ(specs.text(70, 1), "70");
    EXPECT_EQ(specs.version(), "LONG");

    const CliResult result = cli({"spec", "write", path("long.spec")});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_TRUE(result.err.startsWith(
        QStringLiteral("calsetup-cli: Error loading specifications: %1: more than 9999 rows; nothing was sent")
            .arg(path("long.spec"))))
        << result.err.toStdString();
    EXPECT_EQ(linesHeard, 0);
}

TEST_F(SpecFileFaultTest, AFileOfBinaryBytes)
{
    describeCase("a .spec file of 64 KiB of random bytes (NUL, 8-bit, CR, LF, commas)",
                 "loads without harm; \"Save To Meter\" then sends only figures that are numbers, of rows 1-70, each "
                 "as a single clean Ws command, marks the others refused, and leaves rows above 70 pending");
    QByteArray contents(64 * 1024, '\0');
    QRandomGenerator random(11);
    for (char &byte : contents)
        byte = char(random.bounded(256));
    // Commas and line ends often enough to make many short fields, some of them numbers.
    for (int i = 0; i < contents.size(); i += 7)
        contents[i] = ",\r\n,5,-7,"[random.bounded(9)];
    for (int i = 3; i + 6 < contents.size(); i += 29)
        contents.replace(i, 6, ",-2.5,");
    ASSERT_TRUE(writeAll(path("binary.spec"), contents));
    EXPECT_EQ(specOperations().fileLoad(path("binary.spec")), Outcome::Done);
    ASSERT_GT(specs.rowCount(), SpecTable::kLastWritableRow + 1);

    const SpecOperations::SaveSummary summary = specOperations().saveToMeter();
    const QRegularExpression clean(QStringLiteral("^Ws([1-9]|[1-6][0-9]|70),([0-9]|1[0-3]),-?[0-9]+(\\.[0-9]+)?$"));
    int writes = 0;
    for (const QString &command : scripted.commands()) {
        if (command.startsWith(QLatin1String("Ws"))) {
            ++writes;
            EXPECT_TRUE(clean.match(command).hasMatch()) << command.toStdString();
        }
    }
    EXPECT_GT(writes, 0);
    EXPECT_EQ(writes, summary.accepted);
    EXPECT_GT(summary.notANumber, 0);
    EXPECT_GT(summary.notSent, 0);
    for (int column = 1; column < SpecTable::kColumns; ++column) {
        const int row = SpecTable::kLastWritableRow + 1;
        if (!specs.text(row, column).isEmpty()) {
            EXPECT_EQ(specs.state(row, column), State::Pending);
        }
    }
}

TEST_F(SpecFileFaultTest, AFileThatCannotBeRead)
{
    describeCase("a .spec path that is missing, a folder, or a file of 5 MiB",
                 "\"Error loading specifications: \" and the reason, with the table and its version as they were; "
                 "spec write exits 1 and sends nothing");
    fillTable();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.spec")));
    ASSERT_TRUE(writeAll(path("huge.spec"), QByteArray(5 * 1024 * 1024, '1')));
    for (const QString &name :
         {QStringLiteral("missing.spec"), QStringLiteral("folder.spec"), QStringLiteral("huge.spec")}) {
        prompts.shown.clear();
        prompts.fileNames.enqueue(path(name));
        EXPECT_EQ(specOperations().loadFromFile(), Outcome::Failed) << name.toStdString();
        ASSERT_EQ(prompts.shown.size(), 1) << name.toStdString();
        EXPECT_TRUE(prompts.shown[0].text.startsWith(QLatin1String("Error loading specifications: ")));
        EXPECT_GT(prompts.shown[0].text.size(), 31) << "the reason follows";
        EXPECT_EQ(specs.text(70, 14), "7014") << "a file that cannot be read leaves the table alone";
        EXPECT_EQ(specs.version(), "V7");

        const CliResult result = cli({"spec", "write", path(name)});
        EXPECT_EQ(result.exitCode, 4) << name.toStdString();
        EXPECT_TRUE(result.err.startsWith(QLatin1String("calsetup-cli: Error loading specifications: ")));
        EXPECT_TRUE(result.err.contains(QLatin1String("; nothing was sent"))) << result.err.toStdString();
    }
    EXPECT_TRUE(scripted.sent.isEmpty());
    EXPECT_EQ(linesHeard, 0);
}

TEST_F(SpecFileFaultTest, ASaveIntoAReadOnlyFolder)
{
    describeCase("\"Save to File\" and spec read over a .spec backup in a folder that refuses new files",
                 "\"Backup not saved\" (the tool: exit 1 with the reason); the previous backup stays whole");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    const QString file = path(QStringLiteral("locked/meter.spec"));
    fillTable();
    ASSERT_TRUE(SpecFile::save(specs, file));
    ReadOnlyFolder locked(path(QStringLiteral("locked")));
    if (!locked.isReadOnly())
        GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
    const QByteArray previous = readAll(file);
    specs.setText(1, 1, QStringLiteral("-1"));
    prompts.fileNames.enqueue(file);
    EXPECT_EQ(specOperations().saveToFile(), Outcome::Failed);
    EXPECT_EQ(prompts.texts(), QStringList{"Backup not saved"});
    EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Critical);
    EXPECT_EQ(readAll(file), previous);

    const CliResult result = cli({"spec", "read", file});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("calsetup-cli: Backup not saved: cannot write %1: ").arg(file)))
        << result.err.toStdString();
    EXPECT_EQ(readAll(file), previous);
    EXPECT_EQ(QDir(path(QStringLiteral("locked"))).entryList(QDir::Files), QStringList{"meter.spec"});
}

TEST_F(SpecFileFaultTest, ASaveOntoAFullDisk)
{
    describeCase("\"Save to File\" over a .spec backup when the disk fills up during the write",
                 "\"Backup not saved\"; the previous backup stays whole; no temporary file is left");
    fillTable();
    const QString file = path(QStringLiteral("meter.spec"));
    ASSERT_TRUE(SpecFile::save(specs, file));
    const QByteArray previous = readAll(file);
    ASSERT_GT(previous.size(), 4096);
    specs.setText(1, 1, QStringLiteral("-1"));
    prompts.fileNames.enqueue(file);
    {
        FileSizeLimit nearlyFull(4096);
        ASSERT_TRUE(nearlyFull.ok());
        EXPECT_EQ(specOperations().saveToFile(), Outcome::Failed);
    }
    EXPECT_EQ(prompts.texts(), QStringList{"Backup not saved"});
    EXPECT_EQ(readAll(file), previous);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"meter.spec"});
}

TEST_F(SpecFileFaultTest, ASaveToTheFullDevice)
{
    describeCase("\"Save to File\" and spec read to /dev/full, a device that is always full",
                 "\"Backup not saved\" (the tool: exit 1 with the reason); the device is written in place, never "
                 "replaced by a plain file");
    QString why;
    const QString full = fullDevice(dir.path(), &why);
    if (full.isEmpty())
        GTEST_SKIP() << why.toStdString();
    fillTable();
    prompts.fileNames.enqueue(full);
    EXPECT_EQ(specOperations().saveToFile(), Outcome::Failed);
    EXPECT_EQ(prompts.texts(), QStringList{"Backup not saved"});
    EXPECT_FALSE(QFileInfo(full).isFile()) << "the device must still be a device";

    const CliResult result = cli({"spec", "read", full});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("calsetup-cli: Backup not saved: cannot write %1: ").arg(full)))
        << result.err.toStdString();
    EXPECT_FALSE(QFileInfo(full).isFile());
}

TEST_F(SpecFileFaultTest, RowLabelsThatReadLikeACommentOrAVersionLine)
{
    describeCase("a table whose row labels start with \"#\" or \"Version\", saved to a .spec file and loaded again "
                 "(found by fuzz_spec_file)",
                 "every row comes back under its own number with its label and figures; none is taken for a comment "
                 "or the version, so no row below moves up a range");
    const QStringList labels = {"#1", "# R002", "VERSION 3", "version", "Versions 5", "R006 1kOhm"};
    specs.setVersion(QStringLiteral("V9"));
    for (int row = 1; row <= labels.size(); ++row) {
        specs.ensureRow(row);
        specs.setText(row, 0, labels[row - 1]);
        specs.setText(row, 1, QString::number(row));
    }
    const QString file = path(QStringLiteral("labels.spec"));
    ASSERT_TRUE(SpecFile::save(specs, file));

    SpecTable loaded;
    SpecOperations operations(loaded, scripted, prompts);
    ASSERT_EQ(operations.fileLoad(file), Outcome::Done);
    EXPECT_EQ(loaded.version(), "V9");
    ASSERT_EQ(loaded.rowCount(), labels.size() + 1);
    for (int row = 1; row <= labels.size(); ++row) {
        EXPECT_EQ(loaded.text(row, 0), labels[row - 1]) << row;
        EXPECT_EQ(loaded.text(row, 1), QString::number(row)) << row;
    }

    // The input the fuzzer found: its first line is a row labelled "#1".
    const QByteArray found = " #1,\r\nVERS written by hand\r\nversion  A7 \r\n#R001 x , 1,\r\nVERSION\r\n\r\n"
                             "no comma at all\r\n ,\xff , ,0,\r\nlast line withoud ,1";
    SpecTable fromFound;
    SpecFile::fill(fromFound, found);
    const QByteArray once = SpecFile::toBytes(fromFound);
    SpecTable again;
    SpecFile::fill(again, once);
    EXPECT_EQ(again.text(1, 0), "#1");
    EXPECT_EQ(SpecFile::toBytes(again), once);
}

} // namespace
