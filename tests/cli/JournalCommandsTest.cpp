#include "CliHarness.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"
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

    static JournalRecord record(int second, const QString &serial, const QString &operation, int changes,
                                JournalOutcome outcome, bool forced = false)
    {
        JournalRecord r;
        r.time = QDateTime(QDate(2026, 12, 8), QTime(10, 0, second, 5), Qt::UTC);
        r.user = QStringLiteral("ana");
        r.host = QStringLiteral("bench");
        r.programName = QStringLiteral("calsetup");
        r.programVersion = QStringLiteral("1.0.0");
        r.operation = operation;
        r.instrument = InstrumentIdentity::fromAnswer(QStringLiteral("Quorvadine,5241,%1,3.07").arg(serial));
        r.connection = QStringLiteral("RS-232 port 1");
        for (int i = 0; i < changes; ++i)
            r.changes << TableChange{TableKind::Factors, 1, i, QStringLiteral("0"), QStringLiteral("1"), true};
        r.outcome = outcome;
        r.forced = forced;
        return r;
    }

    /// Three records: two of SN1, one of SN2 between them.
    void writeThree()
    {
        for (JournalRecord r :
             {record(1, QStringLiteral("SN1"), QStringLiteral("cal write"), 2, JournalOutcome::Done),
              record(2, QStringLiteral("SN2"), QStringLiteral("Save To Calibrator"), 0, JournalOutcome::Refused, true),
              record(3, QStringLiteral("SN1"), QStringLiteral("spec clear"), 1, JournalOutcome::Partial)})
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
         "2026-12-08T10:00:03.005Z  ana  spec clear  SN1  1 change  partial\n"
         "2026-12-08T10:00:02.005Z  ana  Save To Calibrator  SN2  0 changes  refused (forced)\n"
         "2026-12-08T10:00:01.005Z  ana  cal write  SN1  2 changes  done\n"},
        {{"journal", "--serial", "SN1"},
         "2026-12-08T10:00:03.005Z  ana  spec clear  SN1  1 change  partial\n"
         "2026-12-08T10:00:01.005Z  ana  cal write  SN1  2 changes  done\n"},
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
}

TEST_F(JournalCommands, ALineThatIsNoRecordIsNamedAndTheRestListed)
{
    writeThree();
    QList<QByteArray> lines = storedLines();
    lines.insert(1, "{\"time\":");
    ASSERT_TRUE(writeAll(journal.path(), lines.join('\n') + '\n'));
    const CliResult listed = runTool({"journal"});
    EXPECT_EQ(listed.exitCode, 3);
    EXPECT_EQ(listed.out.count('\n'), 3);
    EXPECT_TRUE(listed.err.contains(journal.path() + " line 2 is not a record: not JSON")) << listed.err.toStdString();
    const CliResult verified = runTool({"journal", "verify"});
    EXPECT_EQ(verified.exitCode, 3);
    EXPECT_TRUE(verified.err.contains("line 2 is not a record")) << verified.err.toStdString();
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
