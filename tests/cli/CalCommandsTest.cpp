#include "CliHarness.h"
#include "fixtures/FakeClock.h"
#include "fixtures/SimPty.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"
#include "records/DurableFiles.h"
#include "sim/RangeLayout.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
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

/// The cal commands against a virtual calibrator on a pseudo-terminal, on virtual time.
class CalCommandsTest : public ::testing::Test
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

    int factorCount()
    {
        int count = 0;
        for (int range = RangeLayout::kFirstRange; range <= RangeLayout::kLastRange; ++range)
            count += sim.memory().factors(range).size();
        return count;
    }

    ScopedFakeClock fake;
    SimPty sim;
    QTemporaryDir dir;
};

TEST_F(CalCommandsTest, ReadThenWriteOfTheSameFileWritesEveryValueBackAndReportsEachOk)
{
    const CliResult read = run({"cal", "read", path("meter.cal")});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    const QByteArray file = readAll(path("meter.cal"));
    const QList<qint32> range1 = sim.memory().factors(1);
    EXPECT_TRUE(file.startsWith(QStringLiteral("001: 200mv DC , %1,%2,%3,%4,\r\n002: 2V DC , ")
                                    .arg(range1[0])
                                    .arg(range1[1])
                                    .arg(range1[2])
                                    .arg(range1[3])
                                    .toLatin1()))
        << file.left(80).constData();
    EXPECT_EQ(file.count("\r\n"), 149);

    const CliResult write = run({"cal", "write", path("meter.cal")});
    EXPECT_EQ(write.exitCode, 0) << write.err.toStdString();
    const QStringList lines = write.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), factorCount());
    for (const QString &line : lines)
        ASSERT_TRUE(line.endsWith(QLatin1String(" ok"))) << line.toStdString();
    EXPECT_EQ(lines.first(), QStringLiteral("range 1 factor 0 value %1 ok").arg(range1[0]));
    EXPECT_EQ(lines.last(), QStringLiteral("range 144 factor 3 value %1 ok").arg(sim.memory().factors(144)[3]));
    EXPECT_FALSE(sim.memory().inSetupMode());
}

TEST_F(CalCommandsTest, WritingAFileWithOneChangedValueSendsEveryValueOfTheFile)
{
    ASSERT_EQ(run({"cal", "read", path("meter.cal")}).exitCode, 0);
    QByteArray file = readAll(path("meter.cal"));
    const QByteArray old = "002: 2V DC , " + QByteArray::number(sim.memory().factors(2)[0]) + ",";
    ASSERT_TRUE(file.contains(old));
    file.replace(old, "002: 2V DC , 4321,");
    ASSERT_TRUE(writeAll(path("changed.cal"), file));

    const CliResult write = run({"cal", "write", path("changed.cal")});
    EXPECT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_EQ(write.out.count(QLatin1Char('\n')), factorCount());
    EXPECT_TRUE(write.out.contains(QLatin1String("range 2 factor 0 value 4321 ok\n")));
    EXPECT_EQ(sim.memory().factors(2)[0], 4321);
}

TEST_F(CalCommandsTest, DiffComparesTheInstrumentWithAFileAndTwoFilesWithoutTheInstrument)
{
    ASSERT_EQ(run({"cal", "read", path("meter.cal")}).exitCode, 0);
    const CliResult same = run({"cal", "diff", path("meter.cal")});
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_EQ(same.out, QStringLiteral("no figure differs\n"));

    QByteArray file = readAll(path("meter.cal"));
    const QByteArray was = QByteArray::number(sim.memory().factors(2)[0]);
    ASSERT_TRUE(file.contains("002: 2V DC , " + was + ","));
    file.replace("002: 2V DC , " + was + ",", "002: 2V DC , 4321,");
    ASSERT_TRUE(writeAll(path("changed.cal"), file));
    const QString line = QStringLiteral("%1, changed.cal 4321\n1 of the factors differ\n");

    const CliResult differs = run({"cal", "diff", path("changed.cal")});
    EXPECT_EQ(differs.exitCode, 3) << differs.err.toStdString();
    EXPECT_TRUE(differs.out.startsWith(QLatin1String("002: 2V DC"))) << differs.out.toStdString();
    EXPECT_TRUE(differs.out.endsWith(line.arg(QStringLiteral("instrument ") + QString::fromLatin1(was))))
        << differs.out.toStdString();

    // Two files need no instrument: a port that does not exist is never opened.
    const CliResult files =
        runTool({"cal", "diff", path("meter.cal"), path("changed.cal"), "--port", path("no-such-port")});
    EXPECT_EQ(files.exitCode, 3) << files.err.toStdString();
    EXPECT_TRUE(files.out.endsWith(line.arg(QStringLiteral("meter.cal ") + QString::fromLatin1(was))))
        << files.out.toStdString();

    const CliResult missing = runTool({"cal", "diff", path("meter.cal"), path("missing.cal")});
    EXPECT_EQ(missing.exitCode, 4) << missing.err.toStdString();
    EXPECT_TRUE(missing.err.contains(QLatin1String("missing.cal"))) << missing.err.toStdString();
}

TEST_F(CalCommandsTest, AFactorStoredWrongWhileAnsweredAsTakenIsCaughtByTheReadBack)
{
    ASSERT_EQ(run({"cal", "read", path("meter.cal")}).exitCode, 0);
    QByteArray file = readAll(path("meter.cal"));
    file.replace("002: 2V DC , " + QByteArray::number(sim.memory().factors(2)[0]) + ",", "002: 2V DC , 4321,");
    ASSERT_TRUE(writeAll(path("changed.cal"), file));
    sim.memory().setMisstored(2, 0);

    // Without the read-back the instrument's "*0" is all there is to go by.
    const CliResult unchecked = run({"cal", "write", path("changed.cal"), "--no-verify"});
    EXPECT_EQ(unchecked.exitCode, 0) << unchecked.err.toStdString();
    EXPECT_TRUE(unchecked.out.contains(QLatin1String("range 2 factor 0 value 4321 ok\n")));
    const CliResult diff = run({"cal", "diff", path("changed.cal")});
    EXPECT_EQ(diff.exitCode, 3);
    EXPECT_TRUE(diff.out.contains(QLatin1String(": instrument 4322, changed.cal 4321\n"))) << diff.out.toStdString();

    const int heardBefore = sim.calibrator.commandsHeard();
    const CliResult checked = run({"cal", "write", path("changed.cal")});
    EXPECT_EQ(checked.exitCode, 3) << checked.err.toStdString();
    EXPECT_TRUE(checked.out.contains(QLatin1String("range 2 factor 0 value 4321 ok\nrange 2 factor 1 value")))
        << "each range is read back once all its factors are written";
    EXPECT_TRUE(
        checked.out.contains(QLatin1String("range 2 factor 0 value 4321 not verified: the instrument keeps 4322\n")))
        << checked.out.toStdString();
    EXPECT_EQ(checked.out.count(QLatin1String("not verified")), 1);
    EXPECT_TRUE(checked.err.contains(QLatin1String("1 factors not kept as written"))) << checked.err.toStdString();
    int rangesWritten = 0;
    for (int range = RangeLayout::kFirstRange; range <= RangeLayout::kLastRange; ++range)
        rangesWritten += sim.memory().factors(range).isEmpty() ? 0 : 1;
    // One write a factor and one read-back a range written, besides the passwords.
    EXPECT_GE(sim.calibrator.commandsHeard() - heardBefore, factorCount() + rangesWritten);
    EXPECT_FALSE(sim.memory().inSetupMode());
}

TEST_F(CalCommandsTest, AWriteIsJournalledWithEachFactorBeforeAfterAndWhetherItWasKept)
{
    QDir(DataFolders::root()).removeRecursively();
    ASSERT_EQ(run({"cal", "read", path("meter.cal")}).exitCode, 0);
    const QList<qint32> range2 = sim.memory().factors(2);
    QByteArray file = readAll(path("meter.cal"));
    file.replace("002: 2V DC , " + QByteArray::number(range2[0]) + ",", "002: 2V DC , 4321,");
    ASSERT_TRUE(writeAll(path("changed.cal"), file));
    sim.memory().setMisstored(3, 0);
    sim.memory().setSerialNumber("QV-UNIT-7");

    const CliResult write = run({"cal", "write", path("changed.cal")});
    EXPECT_EQ(write.exitCode, 3) << "one factor is not kept as written";

    const ChangeJournal journal(DataFolders::journalPath());
    const ChangeJournal::Contents contents = journal.records();
    ASSERT_EQ(contents.entries.size(), 2) << write.err.toStdString();
    // The read says where meter.cal came from.
    const JournalRecord &read = contents.entries.first().record;
    EXPECT_EQ(read.operation, "cal read");
    ASSERT_TRUE(read.file.has_value());
    EXPECT_EQ(read.file->sha256, DurableFiles::sha256Hex(readAll(path("meter.cal"))));
    EXPECT_TRUE(read.changes.isEmpty());
    const JournalRecord &record = contents.entries.last().record;
    EXPECT_EQ(record.operation, "cal write");
    EXPECT_EQ(record.instrument.serial, "QV-UNIT-7");
    EXPECT_TRUE(record.connection.contains(sim.devicePath())) << record.connection.toStdString();
    ASSERT_TRUE(record.file.has_value());
    EXPECT_EQ(record.file->sha256, DurableFiles::sha256Hex(file));
    EXPECT_EQ(record.outcome, JournalOutcome::Partial);
    EXPECT_EQ(record.changes.size(), factorCount());
    auto change = [&record](int range, int index) {
        for (const TableChange &c : record.changes)
            if (c.range == range && c.column == index)
                return c;
        return TableChange{};
    };
    EXPECT_EQ(change(2, 0).before, QString::number(range2[0]));
    EXPECT_EQ(change(2, 0).after, "4321");
    EXPECT_TRUE(change(2, 0).verified);
    EXPECT_FALSE(change(3, 0).verified);
    EXPECT_TRUE(journal.verify().intact);
}

TEST_F(CalCommandsTest, AClearLeavesASnapshotOfTheFactorsItClearedAndItsRecord)
{
    QDir(DataFolders::root()).removeRecursively();
    ASSERT_EQ(run({"cal", "read", path("before.cal")}).exitCode, 0);
    ASSERT_NE(sim.memory().factors(2)[0], 0);
    const CliResult clear = run({"cal", "clear", "--yes"});
    EXPECT_EQ(clear.exitCode, 0) << clear.err.toStdString();
    EXPECT_EQ(sim.memory().factors(2)[0], 0);

    const JournalRecord record = ChangeJournal(DataFolders::journalPath()).records().entries.last().record;
    EXPECT_EQ(record.operation, "cal clear");
    EXPECT_EQ(record.outcome, JournalOutcome::Done);
    ASSERT_TRUE(record.snapshot.has_value());
    EXPECT_TRUE(record.snapshot->path.startsWith(DataFolders::snapshotFolder()));
    EXPECT_EQ(readAll(record.snapshot->path), readAll(path("before.cal"))) << "the snapshot is the table as it was";
    EXPECT_EQ(record.snapshot->sha256, DurableFiles::sha256Hex(readAll(path("before.cal"))));
}

TEST_F(CalCommandsTest, AFileReadFromOneUnitIsRefusedOnAnotherUnlessForcedAndAnUnknownOneIsWarnedOf)
{
    QDir(DataFolders::root()).removeRecursively();
    sim.memory().setSerialNumber("QV-UNIT-A");
    ASSERT_EQ(run({"cal", "read", path("unit-a.cal")}).exitCode, 0);
    sim.memory().setSerialNumber("QV-UNIT-B");
    const qint32 keptOnB = sim.memory().factors(2)[0] + 1;
    ASSERT_TRUE(sim.memory().setFactor(2, 0, keptOnB)); // B's own, which A's file would replace
    const int heardBefore = sim.calibrator.commandsHeard();

    for (const QStringList &refused : {QStringList{"cal", "write", path("unit-a.cal")},
                                       QStringList{"cal", "write", path("unit-a.cal"), "--no-journal"}}) {
        const CliResult result = run(refused);
        EXPECT_EQ(result.exitCode, 3) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains("QV-UNIT-A") && result.err.contains("QV-UNIT-B")) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains("--force"));
    }
    EXPECT_EQ(sim.memory().factors(2)[0], keptOnB) << "no factor reached the other unit";
    EXPECT_LE(sim.calibrator.commandsHeard() - heardBefore, 4) << "only identifications were sent";
    const ChangeJournal journal(DataFolders::journalPath());
    EXPECT_EQ(journal.records().entries.last().record.outcome, JournalOutcome::Refused);

    const CliResult forced = run({"cal", "write", path("unit-a.cal"), "--force"});
    EXPECT_EQ(forced.exitCode, 0) << forced.err.toStdString();
    EXPECT_TRUE(forced.err.contains("--force"));
    EXPECT_NE(sim.memory().factors(2)[0], keptOnB);
    const JournalRecord written = journal.records().entries.last().record;
    EXPECT_TRUE(written.forced);
    EXPECT_EQ(written.outcome, JournalOutcome::Done);
    EXPECT_EQ(written.instrument.serial, "QV-UNIT-B");

    // A file the journal never saw read is written, with a warning naming the unit.
    QByteArray unknown = readAll(path("unit-a.cal"));
    const QByteArray aValue = "002: 2V DC , " + QByteArray::number(keptOnB - 1) + ",";
    ASSERT_TRUE(unknown.contains(aValue));
    unknown.replace(aValue, "002: 2V DC , 4321,");
    ASSERT_TRUE(writeAll(path("unknown.cal"), unknown));
    const CliResult warned = run({"cal", "write", path("unknown.cal")});
    EXPECT_EQ(warned.exitCode, 0) << warned.err.toStdString();
    EXPECT_TRUE(warned.err.contains("does not know where unknown.cal came from")) << warned.err.toStdString();
    EXPECT_TRUE(warned.err.contains("QV-UNIT-B"));
}

TEST_F(CalCommandsTest, AJournalThatCannotBeWrittenRefusesTheWriteBeforeAnythingIsSent)
{
    ASSERT_EQ(run({"cal", "read", path("meter.cal")}).exitCode, 0);
    // A file where the journal's folder would be: no folder can be made there, whoever runs it.
    ASSERT_TRUE(writeAll(path("blocker"), "not a folder"));
    DataFolders::setRootOverride(path("blocker") + QStringLiteral("/data"));
    const auto restore = qScopeGuard([] { DataFolders::setRootOverride({}); });
    const int heardBefore = sim.calibrator.commandsHeard();

    const CliResult refused = run({"cal", "write", path("meter.cal")});
    EXPECT_EQ(refused.exitCode, 4);
    EXPECT_TRUE(refused.err.contains(QLatin1String("change journal cannot be written"))) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QLatin1String("nothing was sent")));
    EXPECT_EQ(sim.calibrator.commandsHeard(), heardBefore);

    const CliResult unrecorded = run({"cal", "write", path("meter.cal"), "--no-journal"});
    EXPECT_EQ(unrecorded.exitCode, 0) << unrecorded.err.toStdString();
    EXPECT_TRUE(unrecorded.err.contains(QLatin1String("not recorded in the change journal")));
}

TEST_F(CalCommandsTest, ReadThatTimesOutWritesNoFileAndLeavesAnExistingOneUntouched)
{
    ASSERT_TRUE(writeAll(path("old.cal"), "001: keep , 1,\r\n"));
    sim.knobs().silent = true;
    const qint64 start = fake.clock.nowMs();
    const CliResult read = run({"cal", "read", path("old.cal")});
    EXPECT_EQ(read.exitCode, 2);
    EXPECT_TRUE(read.err.contains(QLatin1String("CAL:PRINT 001"))) << read.err.toStdString();
    EXPECT_EQ(readAll(path("old.cal")), "001: keep , 1,\r\n");
    EXPECT_LT(fake.clock.nowMs() - start, 20000) << "one time-out, not one per range";

    const CliResult fresh = run({"cal", "read", path("new.cal")});
    EXPECT_EQ(fresh.exitCode, 2);
    EXPECT_FALSE(QFile::exists(path("new.cal")));
}

TEST_F(CalCommandsTest, ATimeOutPartWayThroughTheReadAlsoWritesNoFile)
{
    // The instrument goes silent after it has answered a few ranges.
    int answered = 0;
    sim.calibrator.interpreter().addCommand("CAL:PRINT", [&answered, this](const CommandContext &) {
        if (++answered > 3)
            sim.knobs().silent = true;
        return QByteArray("1\r\n*0\r\n");
    });
    const CliResult read = run({"cal", "read", path("part.cal")});
    EXPECT_EQ(read.exitCode, 2);
    EXPECT_TRUE(read.err.contains(QLatin1String("CAL:PRINT 004"))) << read.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("part.cal")));
}

TEST_F(CalCommandsTest, RefusedAndInvalidValuesAreReportedAndTheExitStatusSaysSo)
{
    ASSERT_TRUE(writeAll(path("bad.cal"),
                         "001: 200mv DC , 5,1.5,\r\n"
                         "002: 2V DC , 6,\r\n"
                         " , \r\n"
                         " , \r\n"
                         " , \r\n"
                         " , \r\n"
                         "007: Unused , 9,\r\n"));
    const CliResult write = run({"cal", "write", path("bad.cal")});
    EXPECT_EQ(write.exitCode, 3);
    EXPECT_EQ(write.out,
              "range 1 factor 0 value 5 ok\n"
              "range 1 factor 1 value 1.5 rejected\n"
              "range 2 factor 0 value 6 ok\n"
              "range 7 factor 0 value 9 rejected\n");
    EXPECT_TRUE(write.err.contains(QLatin1String("2 of 4"))) << write.err.toStdString();
    EXPECT_EQ(sim.memory().factors(1)[0], 5);
    EXPECT_EQ(sim.memory().factors(2)[0], 6);
}

TEST_F(CalCommandsTest, AFactorPastTheInstrumentsLastIndexIsNotSentAndCountsAgainstTheFile)
{
    // The table has room for more factors in a range than the instrument has indexes (0 to 61).
    QByteArray line = "001: 200mV DC ,";
    for (int index = 0; index <= 62; ++index)
        line += " " + QByteArray::number(index) + ",";
    ASSERT_TRUE(writeAll(path("long.cal"), line + "\r\n"));
    const CliResult write = run({"cal", "write", path("long.cal")});
    EXPECT_EQ(write.exitCode, 3);
    EXPECT_TRUE(write.out.endsWith("range 1 factor 61 value 61 rejected\n")) << write.out.right(80).toStdString();
    EXPECT_TRUE(write.err.contains("\ncalsetup-cli: range 1 column 63 (62) not sent: the instrument has factor "
                                   "indexes 0 to 61 only\ncalsetup-cli: "))
        << write.err.toStdString();
    EXPECT_TRUE(write.err.endsWith(" of 63 factors were not accepted\n")) << write.err.toStdString();
}

TEST_F(CalCommandsTest, AWriteStoppedByAnAnswerWithoutItsStatusDoesNotEndAsSuccess)
{
    ASSERT_TRUE(writeAll(path("two.cal"), "001: 200mV DC , 5,6,7,\r\n"));
    // Line noise in front of the second factor's answer: whether it was taken is unknown.
    int writes = 0;
    sim.calibrator.interpreter().addCommand("CALIBRATION:SETCAL", [&writes](const CommandContext &) {
        return ++writes == 2 ? QByteArray("\x00\xff\x1b*0\r\n", 8) : QByteArray("*0\r\n");
    });
    const CliResult write = run({"cal", "write", path("two.cal")});
    EXPECT_EQ(write.exitCode, 2) << write.out.toStdString();
    EXPECT_TRUE(write.err.contains(QLatin1String("No clear answer"))) << write.err.toStdString();
    EXPECT_EQ(writes, 2) << "the save stops at the unclear answer";
}

TEST_F(CalCommandsTest, AWriteWithoutSetupModeOrWithoutAFileSendsNoFactor)
{
    const QList<qint32> before = sim.memory().factors(1);
    ASSERT_TRUE(writeAll(path("one.cal"), "001 , 5,\r\n"));
    sim.memory().setSystemPassword("1111111");
    const CliResult refused = run({"cal", "write", path("one.cal")});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_TRUE(refused.err.contains(QLatin1String("Error entering setup mode"))) << refused.err.toStdString();
    EXPECT_EQ(sim.memory().factors(1), before);

    const CliResult missing = run({"cal", "write", path("missing.cal")});
    EXPECT_EQ(missing.exitCode, 4) << "a file that cannot be used is no usage error";
    EXPECT_TRUE(missing.err.contains(QLatin1String("Calibration Settings Not Loaded"))) << missing.err.toStdString();

    const CliResult unwritable = run({"cal", "read", path("no-such-folder/meter.cal")});
    EXPECT_EQ(unwritable.exitCode, 4);
    EXPECT_TRUE(unwritable.err.contains(QLatin1String("Backup not saved"))) << unwritable.err.toStdString();
}

TEST_F(CalCommandsTest, BackupRestoreAndClearDoNothingWithoutYes)
{
    sim.memory().setFactor(5, 0, 555);
    const QList<qint32> backup = sim.memory().backupFactors(5);
    for (const char *word : {"backup", "restore", "clear"}) {
        const CliResult result = run({"cal", word});
        EXPECT_EQ(result.exitCode, 1) << word;
        EXPECT_TRUE(result.err.contains(QLatin1String("--yes"))) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_EQ(sim.memory().factors(5)[0], 555);
    EXPECT_EQ(sim.memory().backupFactors(5), backup);
}

TEST_F(CalCommandsTest, BackupRestoreAndClearWithYesPrintTheStatusText)
{
    sim.memory().setFactor(5, 0, 555);
    CliResult result = run({"cal", "backup", "--yes"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "Cal Factors backed up ok\n");
    EXPECT_EQ(sim.memory().backupFactors(5)[0], 555);

    sim.memory().setFactor(5, 0, 1);
    result = run({"--yes", "cal", "restore"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "Cal Factors restored\n");
    EXPECT_EQ(sim.memory().factors(5)[0], 555);

    result = run({"cal", "clear", "--yes"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "Calibration factors cleared ok\n");
    EXPECT_EQ(sim.memory().factors(5)[0], 0);
    EXPECT_FALSE(sim.memory().inSetupMode());

    sim.memory().setCalibratePassword("0000");
    result = run({"cal", "backup", "--yes"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_TRUE(result.err.contains(QLatin1String("Error entering setup mode"))) << result.err.toStdString();
}

} // namespace
