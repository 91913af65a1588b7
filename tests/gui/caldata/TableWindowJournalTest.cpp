// The factor window's changes as the change journal keeps them, against the virtual calibrator.

#include "caldata/CalFactorTable.h"
#include "gui/app/AppTestSupport.h"
#include "gui/caldata/FormCalFactors.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"
#include "records/DurableFiles.h"
#include "sim/RangeLayout.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class TableWindowJournalTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        QDir(DataFolders::root()).removeRecursively();
        session.createDvm(QStringLiteral("5200"));
        ASSERT_TRUE(session.connect(Endpoint::serialPort(1)));
        form = new FormCalFactors(session, prompts, [](const QString &) {});
        form->show();
    }
    void TearDown() override
    {
        delete form.data();
        Settings::remove(SettingsKey::VerifyWrites);
        QDir(DataFolders::root()).removeRecursively();
    }

    void click(const char *name) { control<QPushButton>(*form, name)->click(); }
    JournalRecord lastRecord() const
    {
        return journal.records().entries.value(journal.records().entries.size() - 1).record;
    }
    int factorCount()
    {
        int count = 0;
        for (int range = RangeLayout::kFirstRange; range <= RangeLayout::kLastRange; ++range)
            count += sim.memory().factors(range).size();
        return count;
    }

    QPointer<FormCalFactors> form;
    QTemporaryDir dir;
    ChangeJournal journal{DataFolders::journalPath()};
};

TEST_F(TableWindowJournalTest, OneUnitsFileOnAnotherIsConfirmedTwiceAndEveryChangeIsRecorded)
{
    // Unit A's factors read and saved to a file: the journal knows whose the file is.
    sim.memory().setSerialNumber("QV-UNIT-A");
    click("Command_LoadAllCalFactors");
    const QString file = dir.filePath(QStringLiteral("unit-a.cal"));
    prompts.fileNames << file;
    click("Command_FileSave");
    JournalRecord saved = lastRecord();
    EXPECT_EQ(saved.operation, "Save to File");
    EXPECT_EQ(saved.instrument.serial, "QV-UNIT-A");
    ASSERT_TRUE(saved.file.has_value());
    EXPECT_EQ(saved.file->sha256, DurableFiles::sha256Hex(readAll(file)));

    // The same file loaded and saved on unit B asks a second time; "No" sends no factor.
    sim.memory().setSerialNumber("QV-UNIT-B");
    ASSERT_TRUE(sim.memory().setFactor(2, 0, 4321));
    prompts.fileNames << file;
    click("Command_FileLoad");
    prompts.shown.clear();
    prompts.answers.enqueue(Prompts::Answer::No);
    click("Command_SaveAll");
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].text.contains("QV-UNIT-A") && prompts.shown[0].text.contains("QV-UNIT-B"))
        << prompts.shown[0].text.toStdString();
    EXPECT_EQ(sim.memory().factors(2)[0], 4321);
    EXPECT_EQ(lastRecord().outcome, JournalOutcome::Refused);
    EXPECT_GT(form->table().pendingCount(), 0) << "what was not written stays to write";

    // "Yes" writes them, each factor recorded with what B held, read back and kept.
    prompts.answers.enqueue(Prompts::Answer::Yes);
    click("Command_SaveAll");
    EXPECT_NE(sim.memory().factors(2)[0], 4321);
    JournalRecord written = lastRecord();
    EXPECT_EQ(written.operation, "Save To Calibrator");
    EXPECT_TRUE(written.forced);
    EXPECT_EQ(written.outcome, JournalOutcome::Done);
    EXPECT_EQ(written.instrument.serial, "QV-UNIT-B");
    ASSERT_EQ(written.changes.size(), factorCount());
    for (const TableChange &change : std::as_const(written.changes)) {
        EXPECT_TRUE(change.verified);
        if (change.range == 2 && change.column == 0)
            EXPECT_EQ(change.before, "4321");
    }

    // Without the read-back nothing is claimed as verified.
    Settings::setValue(SettingsKey::VerifyWrites, QStringLiteral("0"));
    prompts.fileNames << file;
    click("Command_FileLoad");
    prompts.answers.enqueue(Prompts::Answer::Yes);
    click("Command_SaveAll");
    written = lastRecord();
    ASSERT_FALSE(written.changes.isEmpty());
    EXPECT_FALSE(written.changes.constFirst().verified);

    // A clear keeps the table it cleared, beside the grid's own values.
    prompts.answers.enqueue(Prompts::Answer::Yes);
    click("Command_ClearAll");
    const JournalRecord cleared = lastRecord();
    EXPECT_EQ(cleared.operation, "Clear Meter");
    EXPECT_EQ(cleared.outcome, JournalOutcome::Done);
    ASSERT_TRUE(cleared.snapshot.has_value());
    EXPECT_EQ(readAll(cleared.snapshot->path), readAll(file)) << "B held A's factors when it was cleared";
    EXPECT_EQ(sim.memory().factors(2)[0], 0);
    EXPECT_TRUE(journal.verify().intact);
}

TEST_F(TableWindowJournalTest, AJournalThatCannotBeWrittenRefusesTheSaveWithNothingSent)
{
    click("Command_LoadAllCalFactors");
    form->table().setCell(2, 1, QStringLiteral("77"), CalFactorTable::CellState::Pending);
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    QFile block(blocker);
    ASSERT_TRUE(block.open(QIODevice::WriteOnly));
    block.close();
    DataFolders::setRootOverride(blocker + QStringLiteral("/data"));
    const int heard = sim.calibrator.commandsHeard();
    prompts.shown.clear();
    click("Command_SaveAll");
    DataFolders::setRootOverride({});
    EXPECT_EQ(sim.calibrator.commandsHeard(), heard);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].text.contains("change journal cannot be written"))
        << prompts.shown[0].text.toStdString();
    EXPECT_EQ(form->table().state(2, 1), CalFactorTable::CellState::Pending);
}

} // namespace
