#include "gui/records/FormChangeJournal.h"

#include "caldata/CalFactorTable.h"
#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "gui/app/FormMain.h"
#include "gui/caldata/FormCalFactors.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"
#include "records/JournalListing.h"
#include "records/RecordSamples.h"
#include "records/SnapshotStore.h"
#include "reliability/FileFaults.h"
#include "session/InstrumentSession.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The journal window opened from the main window's File menu, over a journal of the test's own.
// No instrument is connected: the window reads the file, and a snapshot only fills a grid.
class FormChangeJournalTest : public ::testing::Test
{
protected:
    FormChangeJournalTest() { DataFolders::setRootOverride(data.path()); }
    ~FormChangeJournalTest() override { DataFolders::setRootOverride(QString()); }

    /// Two instruments: SN1 cleared its factors (a snapshot kept first) and later refused a
    /// write; between them SN2 had two specification figures written.
    void writeTwoInstruments()
    {
        QString error;
        const std::optional<FileReference> snapshot =
            SnapshotStore(DataFolders::snapshotFolder())
                .save(kSnapshot, QStringLiteral("SN1"), QStringLiteral("cal clear"), TableKind::Factors, &error);
        ASSERT_TRUE(snapshot) << error.toStdString();
        QList<JournalRecord> records = {numberedRecord(1), numberedRecord(2), numberedRecord(3)};
        records[0].operation = QStringLiteral("cal clear");
        records[0].instrument.serial = records[2].instrument.serial = QStringLiteral("SN1");
        records[0].snapshot = snapshot;
        records[1].instrument = InstrumentIdentity::fromAnswer(QStringLiteral("Quorvadine,5242,SN2,3.10"));
        records[1].operation = QStringLiteral("spec write");
        records[1].changes = {{TableKind::Specifications, 4, 1, QStringLiteral("12.5"), QStringLiteral("12.0"), true},
                              {TableKind::Specifications, 4, 2, QStringLiteral("3"), QStringLiteral("2.5"), false}};
        records[2].outcome = JournalOutcome::Refused;
        records[2].changes.clear();
        for (JournalRecord &r : records)
            ASSERT_TRUE(ChangeJournal(DataFolders::journalPath()).append(r));
    }

    FormChangeJournal *openFromMenu()
    {
        QAction *entry = main.findChild<QAction *>(QStringLiteral("MenuFileJournal"));
        EXPECT_NE(entry, nullptr);
        if (!entry)
            return nullptr;
        EXPECT_TRUE(entry->isEnabled());
        entry->trigger();
        QCoreApplication::processEvents();
        return qobject_cast<FormChangeJournal *>(
            main.findModeless([](QWidget *w) { return qobject_cast<FormChangeJournal *>(w) != nullptr; }));
    }
    template <class T = QPushButton>
    static T *control(QWidget *window, const char *name)
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QStringList column(QTableView *grid, int c)
    {
        QStringList texts;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            texts << grid->model()->index(row, c).data().toString();
        return texts;
    }

    static inline const QByteArray kSnapshot = "001: 200mV DC , 1700,1701,\r\n002: 2V DC , 42,\r\n";

    QTemporaryDir data;
    ScopedFakeClock fake;
    InstrumentSession session;
    ScriptedPrompts prompts;
    FormMain main{session, prompts};
};

TEST_F(FormChangeJournalTest, FiltersByInstrumentShowsAChosenRecordsChangesAndOpensItsSnapshot)
{
    writeTwoInstruments();
    FormChangeJournal *form = openFromMenu();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Change Journal");
    auto *records = control<QTableView>(form, "Grid_Records");
    auto *changes = control<QTableView>(form, "Grid_Changes");
    auto *serial = control<QComboBox>(form, "Combo_Serial");
    auto *details = control<QPlainTextEdit>(form, "Text_Details");
    auto *openSnapshot = control(form, "Command_OpenSnapshot");

    // Newest first, the newest chosen.
    EXPECT_EQ(column(records, 2), QStringList({"cal write 3", "spec write", "cal clear"}));
    EXPECT_EQ(records->currentIndex().row(), 0);
    EXPECT_EQ(changes->model()->rowCount(), 0);
    EXPECT_FALSE(openSnapshot->isEnabled());
    EXPECT_FALSE(control<QPlainTextEdit>(form, "Text_Problems")->isVisible());

    ASSERT_EQ(serial->count(), 3);
    EXPECT_EQ(serial->itemText(0), "All instruments");
    serial->setCurrentIndex(serial->findText(QStringLiteral("SN2")));
    EXPECT_EQ(column(records, 2), QStringList({"spec write"}));
    EXPECT_EQ(records->currentIndex().row(), 0);
    EXPECT_TRUE(details->toPlainText().contains(QLatin1String("Quorvadine,5242,SN2,3.10")))
        << details->toPlainText().toStdString();
    ASSERT_EQ(changes->model()->rowCount(), 2);
    EXPECT_EQ(column(changes, 4), QStringList({"12.0", "2.5"}));
    EXPECT_EQ(column(changes, 5), QStringList({"yes", "no"}));
    EXPECT_FALSE(openSnapshot->isEnabled());

    serial->setCurrentIndex(serial->findText(QStringLiteral("SN1")));
    EXPECT_EQ(column(records, 2), QStringList({"cal write 3", "cal clear"}));
    records->setCurrentIndex(records->model()->index(1, 0));
    EXPECT_TRUE(details->toPlainText().contains(DataFolders::snapshotFolder())) << details->toPlainText().toStdString();
    ASSERT_TRUE(openSnapshot->isEnabled());
    openSnapshot->click();

    // The factor window opens with the snapshot's values waiting to be written; nothing is sent.
    auto *factors = qobject_cast<FormCalFactors *>(
        main.findModeless([](QWidget *w) { return qobject_cast<FormCalFactors *>(w) != nullptr; }));
    ASSERT_NE(factors, nullptr);
    EXPECT_TRUE(factors->isVisible());
    EXPECT_EQ(factors->table().text(1, 1), "1700");
    EXPECT_EQ(factors->table().text(1, 2), "1701");
    EXPECT_EQ(factors->table().text(2, 1), "42");
    EXPECT_EQ(factors->table().pendingCount(), 3);
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.texts().join('|').toStdString();
    EXPECT_TRUE(control<QLabel>(form, "Text_Status")->text().startsWith(QLatin1String("Loaded ")));

    // The menu again brings the open journal window forward, as it was.
    EXPECT_EQ(openFromMenu(), form);
    EXPECT_EQ(serial->currentText(), "SN1");
}

TEST_F(FormChangeJournalTest, AChangedSnapshotIsLoadedOnlyWhenTheEngineerSaysSo)
{
    writeTwoInstruments();
    FormChangeJournal *form = openFromMenu();
    ASSERT_NE(form, nullptr);
    auto *records = control<QTableView>(form, "Grid_Records");
    records->setCurrentIndex(records->model()->index(2, 0));
    const QString snapshot = form->listing().entryAt(2).record.snapshot->path;
    ASSERT_TRUE(writeAll(snapshot, "001: 200mV DC , 9999,\r\n"));

    prompts.answers.enqueue(Prompts::Answer::No);
    control(form, "Command_OpenSnapshot")->click();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Warning);
    EXPECT_TRUE(prompts.shown[0].text.contains(QLatin1String("has changed since it was kept")));
    EXPECT_EQ(main.findModeless([](QWidget *w) { return qobject_cast<FormCalFactors *>(w) != nullptr; }), nullptr);

    prompts.answers.enqueue(Prompts::Answer::Yes);
    control(form, "Command_OpenSnapshot")->click();
    auto *factors = qobject_cast<FormCalFactors *>(
        main.findModeless([](QWidget *w) { return qobject_cast<FormCalFactors *>(w) != nullptr; }));
    ASSERT_NE(factors, nullptr);
    EXPECT_EQ(factors->table().text(1, 1), "9999");
}

TEST_F(FormChangeJournalTest, VerifyChainGivesTheHeadOrWarnsOfTheBrokenLineAndRefreshRereads)
{
    FormChangeJournal *form = openFromMenu();
    ASSERT_NE(form, nullptr);
    auto *records = control<QTableView>(form, "Grid_Records");
    auto *location = control<QLabel>(form, "Text_Location");
    EXPECT_EQ(records->model()->rowCount(), 0);
    EXPECT_TRUE(location->text().endsWith(DataFolders::journalPath())) << location->text().toStdString();
    EXPECT_TRUE(location->text().contains(QLatin1String("will be kept")));

    writeTwoInstruments();
    control(form, "Command_Refresh")->click();
    EXPECT_EQ(records->model()->rowCount(), 3);
    EXPECT_EQ(location->text(), "Journal: " + DataFolders::journalPath());

    control(form, "Command_VerifyChain")->click();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Information);
    EXPECT_TRUE(prompts.shown[0].text.startsWith(QLatin1String("3 records, chain intact, head ")));
    EXPECT_EQ(control<QLabel>(form, "Text_Status")->text(), prompts.shown[0].text);

    // A record changed by hand and a line that is no record.
    QList<QByteArray> lines = readAll(DataFolders::journalPath()).split('\n');
    lines[0].replace(R"("user":"ana")", R"("user":"bob")");
    lines.insert(2, "not a record");
    ASSERT_TRUE(writeAll(DataFolders::journalPath(), lines.join('\n')));
    control(form, "Command_VerifyChain")->click();
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_EQ(prompts.shown[1].icon, Prompts::Icon::Warning);
    EXPECT_EQ(prompts.shown[1].text,
              DataFolders::journalPath()
                  + ": line 2 does not follow line 1: its prev is not the SHA-256 of line 1 "
                    "(line 1 was changed, or a line was removed or inserted there)");

    control(form, "Command_Refresh")->click();
    EXPECT_EQ(records->model()->rowCount(), 3);
    auto *problems = control<QPlainTextEdit>(form, "Text_Problems");
    EXPECT_TRUE(problems->isVisible());
    EXPECT_TRUE(problems->toPlainText().startsWith(QLatin1String("line 3 is not a record: not JSON")))
        << problems->toPlainText().toStdString();

    control(form, "Command_Close")->click();
    EXPECT_FALSE(form->isVisible());
}

} // namespace
