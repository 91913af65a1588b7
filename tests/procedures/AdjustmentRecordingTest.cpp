#include "ScriptedLink.h"
#include "procedures/OutputCorrection.h"
#include "procedures/PowerCalibration.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// The power procedure over a scripted instrument, with a journal of its own.
class AdjustmentRecordingTest : public ::testing::Test
{
protected:
    AdjustmentRecordingTest()
    {
        DataFolders::setRootOverride(data.path());
        s.replies.insert(QStringLiteral("*IDN?"), QStringLiteral("Quorvadine,5241,SN4711,3.07\r"));
        s.replies.insert(QStringLiteral("CAL:PRINT"), QStringLiteral("20000\r0\r31\r-7\r*0\r"));
        power.recording().setConnection([] { return QStringLiteral("RS-232 port 1"); });
    }
    ~AdjustmentRecordingTest() override { DataFolders::setRootOverride({}); }

    void set(int index, const QString &text)
    {
        power.setFactorText(index, text);
        power.sendFactor(index);
    }
    QList<JournalRecord> records() const
    {
        QList<JournalRecord> list;
        for (const ChangeJournal::Entry &entry : ChangeJournal(DataFolders::journalPath()).records().entries)
            list << entry.record;
        return list;
    }

    QTemporaryDir data;
    ScriptedLink s;
    PowerCalibration power{s.channel(), s.prompts};
};

TEST_F(AdjustmentRecordingTest, StoreRecordsEachFactorSetFromWhatTheFunctionHeldToWhatTheListingConfirms)
{
    power.load(); // 100uA at 50 Hz: the instrument's range 120
    set(0, QStringLiteral("19980.0"));
    set(3, QStringLiteral("-5"));
    // Listed again within the session, the function shows the factors just set, not what it held.
    s.replies.insert(QStringLiteral("CAL:PRINT"), QStringLiteral("19980\r0\r31\r-6\r*0\r"));
    power.readFactors();
    set(0, QStringLiteral("19990"));
    s.replies.insert(QStringLiteral("CAL:PRINT"), QStringLiteral("19990\r0\r31\r-6\r*0\r"));
    s.dvm->sent.clear();
    power.store();

    EXPECT_EQ(s.commands(), QStringList({"a2", "CAL:PRINT", "*IDN?"}));
    const QList<JournalRecord> journal = records();
    ASSERT_EQ(journal.size(), 1);
    const JournalRecord &record = journal[0];
    EXPECT_EQ(record.operation, "Store (Power Calibration)");
    EXPECT_EQ(record.instrument.serial, "SN4711");
    EXPECT_EQ(record.connection, "RS-232 port 1");
    // A factor set twice is one change; the instrument kept -6 where -5 went.
    EXPECT_EQ(record.changes,
              (QList<TableChange>{{TableKind::Factors, 120, 0, "20000", "19990", true},
                                  {TableKind::Factors, 120, 3, "-7", "-5", false}}));
    EXPECT_EQ(record.outcome, JournalOutcome::Partial);
    EXPECT_EQ(power.status(), "Factors stored, but 1 of those set read back otherwise than sent");

    // The next session starts from what the store left; on DC the ranges are numbered from 126.
    power.setFrequency(PowerCalibration::Frequency::Dc);
    power.load();
    set(1, QStringLiteral("3"));
    s.replies.insert(QStringLiteral("CAL:PRINT"), QStringLiteral("19990\r3\r31\r-6\r*0\r"));
    power.store();
    ASSERT_EQ(records().size(), 2);
    EXPECT_EQ(records()[1].changes, (QList<TableChange>{{TableKind::Factors, 126, 1, "0", "3", true}}));
    EXPECT_EQ(records()[1].outcome, JournalOutcome::Done);
}

TEST_F(AdjustmentRecordingTest, NothingIsRecordedWithoutAFactorTakenAndARefusedStoreIsAFailure)
{
    power.load();
    set(1, QStringLiteral("12"));
    power.abort(); // the instrument went back to what it held
    s.replies.insert(QStringLiteral("Z1"), QStringLiteral("*5\r"));
    set(1, QStringLiteral("1"));
    s.dvm->sent.clear();
    power.store();
    EXPECT_EQ(s.commands(), QStringList({"a2"})) << "nothing was set, so nothing is read or recorded";
    EXPECT_TRUE(records().isEmpty());

    set(2, QStringLiteral("30"));
    s.replies.insert(QStringLiteral("a2"), QStringLiteral("*7\r"));
    power.store();
    ASSERT_EQ(records().size(), 1);
    EXPECT_EQ(records()[0].outcome, JournalOutcome::Failed);
    EXPECT_FALSE(records()[0].changes.value(0).verified);
}

TEST_F(AdjustmentRecordingTest, AJournalThatCannotBeWrittenKeepsTheFactorFromGoing)
{
    power.load();
    // A file where the data folder should be: the journal's folder cannot be made.
    QFile blocker(data.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    DataFolders::setRootOverride(blocker.fileName() + QStringLiteral("/data"));
    s.dvm->sent.clear();
    set(0, QStringLiteral("19980"));
    EXPECT_TRUE(s.commands().isEmpty());
    ASSERT_EQ(s.prompts.shown.size(), 1);
    EXPECT_TRUE(s.prompts.shown[0].text.startsWith("The change journal cannot be written"))
        << s.prompts.shown[0].text.toStdString();
}

TEST_F(AdjustmentRecordingTest, TheCorrectionFactorsAreRecordedAsTheInstrumentTookThem)
{
    OutputCorrection correction(s.channel(), s.prompts);
    s.replies.insert(QStringLiteral("AC_HF_FACTOR ?"), QStringLiteral("1.0023\r*0\r"));
    s.replies.insert(QStringLiteral("AC_LF_FACTOR ?"), QStringLiteral("TIMEOUT"));
    s.replies.insert(QStringLiteral("AC_LIN_FACTOR ?"), QStringLiteral("0.5\r*0\r"));
    s.replies.insert(QStringLiteral("AC_LF_FACTOR 1.01"), QStringLiteral("*5\r"));
    // The instrument answers the reading after the set with the factor it took.
    s.dvm->responder = [this, reads = 0](const QString &command) mutable {
        if (command == QStringLiteral("AC_HF_FACTOR ?") && ++reads > 1)
            return QStringLiteral("0.99\r*0\r");
        return s.replies.value(command, QStringLiteral("*0\r"));
    };
    correction.writeFactors({"0.99", "1.01", "0.6"});
    EXPECT_EQ(s.commands().last(), "*IDN?");
    const QList<JournalRecord> journal = records();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_EQ(journal[0].operation, "Set (Output Correction)");
    // LF was refused and is no change; LIN was taken but reads back as it was.
    EXPECT_EQ(journal[0].changes,
              (QList<TableChange>{{TableKind::Factors, 0, 0, "1.0023", "0.99", true},
                                  {TableKind::Factors, 0, 2, "0.5", "0.6", false}}));
    EXPECT_EQ(journal[0].outcome, JournalOutcome::Partial);
}

} // namespace
