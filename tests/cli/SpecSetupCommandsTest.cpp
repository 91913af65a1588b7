#include "CliHarness.h"
#include "fixtures/FakeClock.h"
#include "fixtures/SimPty.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

/// The spec, setup and wipe commands against a virtual calibrator on a pseudo-terminal, on
/// virtual time.
class SpecSetupCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen()) << sim.front.errorString().toStdString();
        // Nothing is in flight between two commands, so pacing pauses need no real settling.
        fake.clock.pauseSettleMs = 1;
    }

    CliResult run(QStringList arguments)
    {
        arguments << QStringLiteral("--port") << sim.devicePath();
        return runTool(arguments);
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    SpecificationTable &specs() { return sim.memory().specifications(); }

    /// The file with every figure of the first `rows` rows raised by 1.25, and a version line.
    QByteArray edited(const QByteArray &file, int rows)
    {
        QList<QByteArray> lines = file.split('\n');
        lines[0] = "Version NEW-7\r";
        for (int row = 1; row <= rows; ++row) {
            const qsizetype separator = lines[row].indexOf(" , ");
            QList<QByteArray> figures = lines[row].mid(separator + 3).chopped(1).split(',');
            figures.removeLast(); // after the last comma
            for (QByteArray &figure : figures)
                figure = QByteArray::number(figure.toDouble() + 1.25) + ',';
            lines[row] = lines[row].left(separator + 3) + figures.join() + '\r';
        }
        return lines.join('\n');
    }

    ScopedFakeClock fake;
    SimPty sim;
    QTemporaryDir dir;
};

TEST_F(SpecSetupCommandsTest, SpecReadGivesBackTheTableThatWasWritten)
{
    const CliResult read = run({"spec", "read", path("meter.spec")});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_EQ(read.out,
              QStringLiteral("%1 rows of the specification table written to %2\n")
                  .arg(specs().rowCount())
                  .arg(path("meter.spec")));
    const QByteArray file = readAll(path("meter.spec"));
    EXPECT_TRUE(file.startsWith("Version \r\nR001 200mV DC , ")) << file.left(60).constData();
    EXPECT_TRUE(file.contains("\r\nR006 200uA DC , ")) << "the micro sign is written out";
    EXPECT_EQ(file.count("\r\n"), specs().rowCount() + 1);

    const QByteArray changed = edited(file, specs().rowCount());
    ASSERT_TRUE(writeAll(path("changed.spec"), changed));
    const CliResult write = run({"spec", "write", path("changed.spec")});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    const int figures = specs().rowCount() * 14;
    EXPECT_EQ(write.out,
              QStringLiteral("%1 figures sent, %1 accepted\nversion record Spec NEW 08/12/26\n").arg(figures));
    EXPECT_EQ(sim.memory().record(5), "Spec NEW 08/12/26");
    EXPECT_FALSE(sim.memory().inSetupMode());

    ASSERT_EQ(run({"spec", "read", path("back.spec")}).exitCode, 0);
    QByteArray expected = changed;
    expected.replace("Version NEW-7", "Version ");
    EXPECT_EQ(readAll(path("back.spec")), expected);
}

TEST_F(SpecSetupCommandsTest, SpecWriteKeepsASnapshotAndRecordsEachFigureBeforeAndAfter)
{
    QDir(DataFolders::root()).removeRecursively();
    ASSERT_EQ(run({"spec", "read", path("before.spec")}).exitCode, 0);
    const QString was =
        QString::fromLatin1(readAll(path("before.spec")).split('\n').value(1).split(',').value(1).trimmed());
    ASSERT_TRUE(writeAll(path("one.spec"), "R001 A , 7.5,\r\n"));
    const CliResult write = run({"spec", "write", path("one.spec")});
    EXPECT_EQ(write.exitCode, 0) << write.err.toStdString();

    const JournalRecord record = ChangeJournal(DataFolders::journalPath()).records().entries.last().record;
    EXPECT_EQ(record.operation, "spec write");
    ASSERT_TRUE(record.snapshot.has_value());
    EXPECT_EQ(readAll(record.snapshot->path), readAll(path("before.spec"))) << "the table as it was";
    ASSERT_EQ(record.changes.size(), 1);
    EXPECT_EQ(record.changes.first().table, TableKind::Specifications);
    EXPECT_EQ(record.changes.first().after, "7.5");
    EXPECT_EQ(record.changes.first().before, was);
}

TEST_F(SpecSetupCommandsTest, SpecDiffOfTwoFilesNamesTheRowColumnAndBothFigures)
{
    ASSERT_TRUE(writeAll(path("a.spec"), "R001 A , 1,2,3,\r\nR002 B , 4,5,6,\r\n"));
    ASSERT_TRUE(writeAll(path("b.spec"), "R001 A , 1,2.0,3,\r\nR002 B , 4,7,6,\r\n"));
    const CliResult same = runTool({"spec", "diff", path("a.spec"), path("a.spec")});
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();
    const CliResult differs = runTool({"spec", "diff", path("a.spec"), path("b.spec")});
    EXPECT_EQ(differs.exitCode, 3) << differs.err.toStdString();
    const QStringList lines = differs.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << differs.out.toStdString();
    EXPECT_TRUE(lines.at(0).endsWith(QLatin1String(": a.spec 5, b.spec 7"))) << lines.at(0).toStdString();
    EXPECT_TRUE(lines.at(0).contains(QLatin1String("R002 B"))) << lines.at(0).toStdString();
}

TEST_F(SpecSetupCommandsTest, SpecWriteListsWhatWasNotAcceptedAndExitsRefused)
{
    ASSERT_TRUE(writeAll(path("bad.spec"), "R001 A , 1,x,3,\r\n"));
    const CliResult result = run({"spec", "write", path("bad.spec")});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_TRUE(result.err.contains("calsetup-cli: row 1 figure 1 (x) not a number, not sent\n"))
        << result.err.toStdString();
    EXPECT_EQ(specs().row(1).figures[0], 1.0);
    EXPECT_EQ(specs().row(1).figures[2], 3.0);

    const CliResult missing = run({"spec", "write", path("none.spec")});
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_TRUE(missing.err.contains("nothing was sent")) << missing.err.toStdString();
}

TEST_F(SpecSetupCommandsTest, SpecWriteStopsAtAnAnswerWithoutAStatus)
{
    ASSERT_TRUE(writeAll(path("three.spec"), "R001 A , 1,2,3,\r\n"));
    const double third = specs().row(1).figures[2];
    int heard = 0;
    QObject::connect(&sim.front, &PtyFront::lineReceived, &sim.front, [&](const QByteArray &line) {
        if (line.trimmed().isEmpty())
            return;
        // The password, "Ws1,0,1", then noise in front of the answer to "Ws1,1,2".
        sim.knobs().garbage = ++heard == 3 ? FaultKnobs::defaultGarbage() : QByteArray();
    });
    // The case counts the write's own lines: no identification or snapshot reading in front.
    const CliResult result = run({"spec", "write", path("three.spec"), "--no-journal"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains("row 1 figure 1 (2) no clear answer: it and the figures after it were not written"))
        << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("No clear answer from the instrument: 1 figures accepted, the rest not written"))
        << result.err.toStdString();
    EXPECT_EQ(specs().row(1).figures[2], third) << "nothing is sent after the unclear answer";
    EXPECT_FALSE(sim.memory().inSetupMode());
}

TEST_F(SpecSetupCommandsTest, SpecClearNeedsYes)
{
    const double before = specs().row(1).figures[0];
    ASSERT_NE(before, 0.0);
    int heard = 0;
    QObject::connect(&sim.front, &PtyFront::lineReceived, [&heard] { ++heard; });
    const CliResult refused = run({"spec", "clear"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(heard, 0);
    EXPECT_EQ(specs().row(1).figures[0], before);

    const CliResult cleared = run({"spec", "clear", "--yes"});
    EXPECT_EQ(cleared.exitCode, 0) << cleared.err.toStdString();
    EXPECT_EQ(cleared.out, "Specifications cleared ok\n");
    EXPECT_EQ(specs().row(1).figures[0], 0.0);
}

TEST_F(SpecSetupCommandsTest, SetupRunsEveryTaskAskedForAndPrintsTheReport)
{
    QDir(DataFolders::root()).removeRecursively();
    fake.clock.setDateTime(QDateTime(QDate(2030, 1, 1), QTime(9, 5)));
    ASSERT_EQ(run({"spec", "read", path("default.spec")}).exitCode, 0);
    const QByteArray specsBefore = readAll(path("default.spec"));
    ASSERT_EQ(run({"cal", "read", path("factors.cal")}).exitCode, 0);
    ASSERT_TRUE(writeAll(path("default.spec"), edited(readAll(path("default.spec")), 3)));
    const double before = specs().row(2).figures[1];
    const double expected = before + 1.25;

    const CliResult result =
        run({"setup", "--date", "--password", "1234", "--clear-cal", "--specs", path("default.spec")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out,
              "Date Set\nCalibration Password Set\nCalibration Factors Cleared\n"
              "Default Specifications Loaded\nSetup Tasks Completed\n");
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    EXPECT_EQ(sim.memory().clockAt(fake.clock.currentDateTime()).toString("ddMMyyhhmm"), "0101300905");
    EXPECT_EQ(sim.memory().userPassword(), "1234");
    for (qint32 factor : sim.memory().factors(1))
        EXPECT_EQ(factor, 0);
    EXPECT_EQ(specs().row(2).figures[1], expected);
    EXPECT_FALSE(sim.memory().inSetupMode());

    // Both tables the run replaced were kept before it, each with a record of its own.
    const QList<ChangeJournal::Entry> entries = ChangeJournal(DataFolders::journalPath()).records().entries;
    ASSERT_EQ(entries.size(), 4); // the two reads, then the setup's factors and specifications
    const JournalRecord &factors = entries[2].record;
    const JournalRecord &figures = entries[3].record;
    EXPECT_EQ(factors.operation, "setup");
    EXPECT_EQ(factors.outcome, JournalOutcome::Done);
    ASSERT_TRUE(factors.snapshot.has_value());
    EXPECT_EQ(readAll(factors.snapshot->path), readAll(path("factors.cal")));
    EXPECT_EQ(figures.outcome, JournalOutcome::Done);
    ASSERT_TRUE(figures.snapshot.has_value() && figures.file.has_value());
    EXPECT_EQ(readAll(figures.snapshot->path), specsBefore);
    EXPECT_FALSE(figures.changes.isEmpty());
    bool found = false;
    for (const TableChange &change : figures.changes) {
        if (change.range == 2 && change.column == 1) {
            found = true;
            EXPECT_EQ(change.before.toDouble(), before);
            EXPECT_EQ(change.after.toDouble(), expected);
        }
    }
    EXPECT_TRUE(found) << "row 2's second figure is recorded";
}

TEST_F(SpecSetupCommandsTest, SetupThatCannotCompleteExitsNonZero)
{
    int heard = 0;
    QObject::connect(&sim.front, &PtyFront::lineReceived, [&heard] { ++heard; });
    const CliResult badPassword = run({"setup", "--password", "12a"});
    EXPECT_EQ(badPassword.exitCode, 1);
    EXPECT_EQ(badPassword.out, "Cal Password must be numeric and 9 digits or less\nSetup Tasks Not Completed\n");
    EXPECT_EQ(heard, 0);

    EXPECT_EQ(run({"setup", "--specs", path("none.spec")}).exitCode, 4);
    EXPECT_EQ(heard, 0);

    sim.memory().setSystemPassword("0000000");
    const CliResult refused = run({"setup", "--date"});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_TRUE(refused.err.startsWith("calsetup-cli: Error sending password")) << refused.err.toStdString();

    sim.knobs().silent = true;
    EXPECT_EQ(run({"setup", "--date"}).exitCode, 2);
}

TEST_F(SpecSetupCommandsTest, WipeNeedsYesAndLeavesTheInstrumentDeaf)
{
    int heard = 0;
    QObject::connect(&sim.front, &PtyFront::lineReceived, [&heard] { ++heard; });
    EXPECT_EQ(run({"wipe"}).exitCode, 1);
    EXPECT_EQ(heard, 0);

    QDir(DataFolders::root()).removeRecursively();
    const CliResult wiped = run({"wipe", "--yes"});
    EXPECT_EQ(wiped.exitCode, 0) << wiped.err.toStdString();
    EXPECT_EQ(wiped.out, "Meter will be unresponsive for several minutes\n");
    // Both tables were kept before the erase.
    const QList<ChangeJournal::Entry> entries = ChangeJournal(DataFolders::journalPath()).records().entries;
    ASSERT_EQ(entries.size(), 2);
    for (const ChangeJournal::Entry &entry : entries) {
        EXPECT_EQ(entry.record.operation, "wipe");
        EXPECT_EQ(entry.record.outcome, JournalOutcome::Done);
        ASSERT_TRUE(entry.record.snapshot.has_value());
        EXPECT_FALSE(readAll(entry.record.snapshot->path).isEmpty());
    }
    EXPECT_TRUE(entries[1].record.snapshot->path.endsWith(".spec"));
    // The tool does not wait for the erase; the calibrator takes it in a moment later.
    QDeadlineTimer cap(3000);
    while (specs().row(1).figures[0] != 0.0 && !cap.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(specs().row(1).figures[0], 0.0);
    EXPECT_EQ(run({"identify"}).exitCode, 2);
}

} // namespace
