#include "CliHarness.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"
#include "records/RecordSamples.h"
#include "reliability/FileFaults.h"
#include "session/InstrumentSession.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

/// The journal commands on a journal of the test's own settings store; no instrument anywhere.
class JournalCommands : public ::testing::Test
{
protected:
    void SetUp() override { QDir(DataFolders::root()).removeRecursively(); }
    void TearDown() override { QDir(DataFolders::root()).removeRecursively(); }

    /// Three records: two of SN1, one of SN2 between them.
    void writeThree()
    {
        QList<JournalRecord> records = {numberedRecord(1), numberedRecord(2), numberedRecord(3)};
        records[0].instrument.serial = records[2].instrument.serial = QStringLiteral("SN1");
        records[0].changes << records[0].changes.constFirst();
        records[1].instrument.serial = QStringLiteral("SN2");
        records[1].operation = QStringLiteral("Save To Calibrator");
        records[1].changes.clear();
        records[1].outcome = JournalOutcome::Refused;
        records[1].forced = true;
        records[2].outcome = JournalOutcome::Partial;
        for (JournalRecord &r : records)
            ASSERT_TRUE(journal.append(r));
    }
    QList<QByteArray> storedLines() const
    {
        QList<QByteArray> lines = readAll(journal.path()).split('\n');
        lines.removeLast();
        return lines;
    }

    ScopedSettingsStore settings{QStringLiteral("journal")};
    ChangeJournal journal{DataFolders::journalPath()};
};

TEST_F(JournalCommands, ListsTheRecordsNewestFirstOrAsStored)
{
    writeThree();
    struct Case
    {
        QStringList arguments;
        QString out;
    };
    const QList<QByteArray> lines = storedLines();
    ASSERT_EQ(lines.size(), 3);
    const Case cases[] = {
        {{"journal"},
         "2026-12-08T10:00:03.000Z  ana  cal write 3  SN1  1 change  partial\n"
         "2026-12-08T10:00:02.000Z  ana  Save To Calibrator  SN2  0 changes  refused (forced)\n"
         "2026-12-08T10:00:01.000Z  ana  cal write 1  SN1  2 changes  done\n"},
        {{"journal", "--serial", "SN1"},
         "2026-12-08T10:00:03.000Z  ana  cal write 3  SN1  1 change  partial\n"
         "2026-12-08T10:00:01.000Z  ana  cal write 1  SN1  2 changes  done\n"},
        {{"journal", "--json"}, QString::fromUtf8(lines.join('\n') + '\n')},
        {{"--json", "journal", "--serial=SN2"}, QString::fromUtf8(lines[1] + '\n')},
    };
    for (const Case &c : cases) {
        const CliResult result = runTool(c.arguments);
        EXPECT_EQ(result.exitCode, 0) << c.arguments.join(' ').toStdString() << result.err.toStdString();
        EXPECT_EQ(result.out, c.out) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    }
    const CliResult none = runTool({"journal", "--serial", "SN3"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_TRUE(none.err.contains("no records of serial number SN3 in " + journal.path())) << none.err.toStdString();
}

TEST_F(JournalCommands, VerifyGivesTheHeadOrTheFirstLineThatDoesNotFollow)
{
    writeThree();
    const CliResult intact = runTool({"journal", "verify"});
    EXPECT_EQ(intact.exitCode, 0) << intact.err.toStdString();
    EXPECT_EQ(intact.out,
              "3 records, chain intact, head " + ChangeJournal::lineDigest(storedLines().constLast()) + "\n");

    QList<QByteArray> lines = storedLines();
    lines[0].replace(R"("user":"ana")", R"("user":"bob")");
    ASSERT_TRUE(writeAll(journal.path(), lines.join('\n') + '\n'));
    const CliResult broken = runTool({"journal", "verify"});
    EXPECT_EQ(broken.exitCode, 3);
    EXPECT_TRUE(broken.out.isEmpty());
    EXPECT_TRUE(broken.err.contains(journal.path() + ": line 2 does not follow line 1")) << broken.err.toStdString();

    // A line that is no record: the listing names it and shows the rest.
    lines.insert(1, "{\"time\":");
    ASSERT_TRUE(writeAll(journal.path(), lines.join('\n') + '\n'));
    const CliResult listed = runTool({"journal"});
    EXPECT_EQ(listed.exitCode, 3);
    EXPECT_EQ(listed.out.count('\n'), 3);
    EXPECT_TRUE(listed.err.contains(journal.path() + " line 2 is not a record: not JSON")) << listed.err.toStdString();
}

TEST_F(JournalCommands, AJournalThatCannotBeReadExitsFour)
{
    // Something that is not a file where the journal should be stops anyone reading it.
    ASSERT_TRUE(QDir().mkpath(journal.path()));
    for (const QStringList &arguments : {QStringList{"journal"}, QStringList{"journal", "verify"}}) {
        const CliResult result = runTool(arguments);
        EXPECT_EQ(result.exitCode, 4) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains("cannot read " + journal.path())) << result.err.toStdString();
    }
}

TEST_F(JournalCommands, NoInstrumentIsNeededAndASimulatedRunHasItsOwnJournal)
{
    // A saved port that no connection could use stops every instrument command, not these.
    Settings::setValue(SettingsKey::CommPort, QStringLiteral("not a port"));
    EXPECT_EQ(runTool({"identify"}).exitCode, 1);
    writeThree();
    EXPECT_EQ(runTool({"journal", "verify"}).exitCode, 0);

    const CliResult real = runTool({"journal", "path"});
    EXPECT_EQ(real.out, "journal    " + journal.path() + "\nsnapshots  " + DataFolders::snapshotFolder() + "\n");
    const CliResult simulated = runTool({"--simulate", "journal", "path"});
    EXPECT_EQ(simulated.exitCode, 0);
    EXPECT_TRUE(simulated.out.contains(InstrumentSession::simulatedScope() + "/journal.jsonl"))
        << simulated.out.toStdString();
    EXPECT_EQ(Settings::scope(), QStringLiteral("calsetup-cli test journal"));
    Settings::remove(SettingsKey::CommPort);
}

} // namespace
