#include "caldata/SpecOperations.h"

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"
#include "instrument/NumberFormat.h"
#include "instrument/Reply.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using State = SpecTable::CellState;
using Outcome = SpecOperations::Outcome;

const QString kSystemPassword = QStringLiteral("SYSTEM:PASSWORD 5820316");
const QString kCalibratePassword = QStringLiteral("CALIBRATE:PASSWORD 7715");
const QString kExitPassword = QStringLiteral("CAL:PASSWORD 0");

class SpecOperationsTest : public ::testing::Test
{
protected:
    SpecOperationsTest()
    {
        hooks.status = [this](const QString &text) { statuses << text; };
        hooks.busy = [this](bool on) { busyCalls << on; };
    }

    SpecOperations operations() { return SpecOperations(table, dvm, prompts, hooks); }
    void makePending(int row, int column, const QString &text)
    {
        table.ensureRow(row);
        table.setCell(row, column, text, State::Pending);
    }
    /// The "Ws" commands sent, in order.
    QStringList writes() const { return dvm.commands().filter(QStringLiteral("Ws")); }

    ScopedFakeClock fake;
    SpecTable table;
    ScriptedDVM dvm;
    ScriptedPrompts prompts;
    SpecOperations::Hooks hooks;
    QStringList statuses;
    QList<bool> busyCalls;
};

// --- Load From Meter --------------------------------------------------------------------------

TEST_F(SpecOperationsTest, OnlyRowsNumberedOnFromOneWithoutAGapAreTakenIn)
{
    const struct
    {
        const char *name;
        QString reply;
        int rows;
    } cases[] = {
        {"three rows", QStringLiteral("R001 A,1\rR002 B,2\rR003 C,3\r*0\r"), 3},
        {"a gap ends the table", QStringLiteral("R001 A,1\rR002 B,2\rR003 C,3\rR005 E,5\rR006 F,6\r*0\r"), 3},
        {"so does a row out of order", QStringLiteral("R001 A,1\rR002 B,2\rR003 C,3\rR005 E,5\rR004 D,4\r*0\r"), 3},
        {"other lines are skipped", QStringLiteral("ps\rR001 A,1\rjunk\r  R002 B,2  \r*0\r"), 2},
        {"no first row", QStringLiteral("R002 B,2\rR003 C,3\r*0\r"), 0},
        {"lower-case r is no row", QStringLiteral("r001 A,1\r*0\r"), 0},
        {"a time-out", QStringLiteral("TIMEOUT"), 0},
    };
    for (const auto &c : cases) {
        SpecTable t;
        EXPECT_EQ(SpecOperations::takeTable(t, c.reply), c.rows) << c.name;
        EXPECT_EQ(t.rowCount(), qMax(SpecTable::kInitialRows, c.rows + 1)) << c.name;
    }
    SpecTable t;
    SpecOperations::takeTable(t, QStringLiteral("R001 A,1\rR002 B,2\rR003 C,3\rR005 E,5\rR004 D,4\r*0\r"));
    EXPECT_EQ(t.text(3, 0), "R003 C");
    EXPECT_EQ(t.text(3, 1), "3");
}

TEST_F(SpecOperationsTest, LabelsAndFiguresAreTakenAsTheGridShowsThem)
{
    SpecTable t;
    // Codes 244 and 228 are the instrument's ohm and micro signs; figures lose their padding;
    // the last figure may lack its comma; a field that is no number keeps its text.
    const QString reply = QStringLiteral("R001 1k") + QChar(244) + QStringLiteral(" ,005.00, 1.50,abc,\r")
        + QStringLiteral("R002 200") + QChar(228) + QStringLiteral("A DC,0.000002,-3,1e3\r*0\r");
    ASSERT_EQ(SpecOperations::takeTable(t, reply), 2);
    EXPECT_EQ(t.text(1, 0), "R001 1kOhm");
    EXPECT_EQ(t.text(1, 1), "5");
    EXPECT_EQ(t.text(1, 2), "1.5");
    EXPECT_EQ(t.text(1, 3), "abc");
    EXPECT_EQ(t.text(1, 4), "");
    EXPECT_EQ(t.text(2, 0), "R002 200uA DC");
    EXPECT_EQ(t.text(2, 1), "0.000002");
    EXPECT_EQ(t.text(2, 2), "-3");
    EXPECT_EQ(t.text(2, 3), "1000");
    EXPECT_EQ(t.state(2, 3), State::InStep);
}

// A plain decimal field is shown from its digits, without a conversion through a double; the text
// must be the one the value's own formatting gives, or a figure read would show (and be written
// back) otherwise than the same figure typed.
TEST(SpecFigureText, APlainDecimalIsShownExactlyAsItsValueIsWritten)
{
    const QList<std::pair<QString, QString>> cases{
        {"005.00", "5"},      {"-0.00", "0"},   {".5", "0.5"},     {"5.", "5"},
        {"-.250", "-0.25"},   {"000", "0"},     {"0.000002", "0.000002"},
        {"123456789012345", "123456789012345"}, {"1234567890123456", "1234567890123460"},
        {"1.5e3", "1500"},    {"-", "-"},       {".", "."},        {"+7", "7"}};
    for (const auto &[field, shown] : cases)
        EXPECT_EQ(SpecOperations::figureText(field), shown) << field.toStdString();

    // Every shape of field around the fifteen-digit edge, against the general formatting.
    quint32 seed = 12345;
    auto digit = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return QChar(u'0' + (seed >> 16) % 10);
    };
    for (int wholeDigits = 0; wholeDigits <= 9; ++wholeDigits) {
        for (int fractionDigits = 0; fractionDigits <= 9; ++fractionDigits) {
            for (int sample = 0; sample < 40; ++sample) {
                QString field = sample % 3 == 0 ? QStringLiteral("-") : QString();
                for (int i = 0; i < wholeDigits; ++i)
                    field += (sample % 4 == 1 && i < 2) ? QChar(u'0') : digit();
                if (fractionDigits > 0 || sample % 5 == 0)
                    field += QLatin1Char('.');
                for (int i = 0; i < fractionDigits; ++i)
                    field += (sample % 4 == 2 && i >= fractionDigits - 2) ? QChar(u'0') : digit();
                bool ok = false;
                const double value = field.toDouble(&ok);
                if (!ok)
                    continue;
                EXPECT_EQ(SpecOperations::figureText(field), formatGeneralNumber(value)) << field.toStdString();
            }
        }
    }
}

TEST_F(SpecOperationsTest, FieldsBeyondTheFourteenthFigureHaveNoColumnAndAreLeftOut)
{
    SpecTable t;
    QString line = QStringLiteral("R001 X");
    for (int i = 1; i <= 16; ++i)
        line += QStringLiteral(",%1").arg(i);
    ASSERT_EQ(SpecOperations::takeTable(t, line + QStringLiteral("\r*0\r")), 1);
    EXPECT_EQ(t.text(1, 14), "14");
    EXPECT_EQ(t.columnCount(), 15);
}

TEST_F(SpecOperationsTest, LoadSendsPsThroughTheProgressWindowAndReplacesTheGrid)
{
    makePending(5, 2, QStringLiteral("9"));
    QList<int> expected;
    bool progressOpenWhileSending = false;
    hooks.readStarting = [&](int lines) { expected << lines; };
    hooks.readFinished = [&] { expected << -1; };
    dvm.responder = [&](const QString &) {
        progressOpenWhileSending = expected == QList<int>{60};
        return QStringLiteral("R001 A,1,2\r*0\r");
    };
    int rows = -1;
    EXPECT_EQ(operations().loadFromMeter(&rows), Outcome::Done);
    EXPECT_EQ(rows, 1);
    ASSERT_EQ(dvm.sent.size(), 1);
    EXPECT_EQ(dvm.sent[0].command, "ps");
    EXPECT_TRUE(dvm.sent[0].waitForAck);
    EXPECT_EQ(dvm.sent[0].timeout, 10);
    EXPECT_EQ(dvm.sent[0].packetEndCondition, 1);
    EXPECT_TRUE(progressOpenWhileSending);
    EXPECT_EQ(expected, (QList<int>{60, -1}));
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.pendingCount(), 0);
    EXPECT_EQ(busyCalls, (QList<bool>{true, false}));

    dvm.responder = [](const QString &) { return QStringLiteral("TIMEOUT"); };
    EXPECT_EQ(operations().loadFromMeter(), Outcome::Failed);
}

// --- Save To Meter ----------------------------------------------------------------------------

TEST_F(SpecOperationsTest, EachPendingCellOfRows1To70IsWrittenAndColouredByTheAnswer)
{
    makePending(3, 1, QStringLiteral("2.5"));
    makePending(3, 2, QStringLiteral("7"));
    makePending(4, 14, QStringLiteral("-0.125"));
    makePending(5, 1, QStringLiteral("1"));
    makePending(6, 1, QStringLiteral("1,5"));
    table.setCell(6, 2, QStringLiteral("8"), State::InStep);
    makePending(71, 1, QStringLiteral("4"));
    QStringList statesWhileSending;
    dvm.responder = [&](const QString &command) {
        if (command == QLatin1String("Ws3,0,2.5"))
            statesWhileSending << QString::number(int(table.state(3, 1)));
        if (command.startsWith(QLatin1String("Ws3,1")))
            return QStringLiteral("*9\r");
        if (command.startsWith(QLatin1String("Ws4,")))
            return QStringLiteral("*5\r");
        return QStringLiteral("*0\r");
    };
    const SpecOperations::SaveSummary summary = operations().saveToMeter();

    EXPECT_EQ(writes(), (QStringList{"Ws3,0,2.5", "Ws3,1,7", "Ws4,13,-0.125", "Ws5,0,1"}));
    EXPECT_EQ(statesWhileSending, QStringList{QString::number(int(State::Writing))});
    EXPECT_EQ(table.state(3, 1), State::InStep);
    EXPECT_EQ(table.state(3, 2), State::Rejected);
    EXPECT_EQ(table.note(3, 2), "Refused by the meter: *9: the meter did not understand the command or its value");
    EXPECT_EQ(table.state(4, 14), State::Unconfirmed);
    EXPECT_EQ(table.note(4, 14), "Not taken as sent: *5: the value is outside what the meter takes");
    EXPECT_EQ(table.state(5, 1), State::InStep);
    EXPECT_EQ(table.note(5, 1), "");
    EXPECT_EQ(table.state(6, 1), State::Invalid) << "not a number: orange and never sent";
    EXPECT_EQ(table.note(6, 1), "Not a number: never sent to the meter");
    EXPECT_EQ(table.state(71, 1), State::Pending) << "the instrument has no row 71";
    EXPECT_EQ(summary.sent, 4);
    EXPECT_EQ(summary.accepted, 2);
    EXPECT_EQ(summary.rejected, 1);
    EXPECT_EQ(summary.unconfirmed, 1);
    EXPECT_EQ(summary.notANumber, 1);
    EXPECT_EQ(summary.notSent, 1);
    EXPECT_FALSE(summary.complete());

    const QStringList commands = dvm.commands();
    EXPECT_EQ(commands.first(), kCalibratePassword);
    EXPECT_EQ(commands.at(commands.size() - 2), "&05Spec ___ 08/12/26");
    EXPECT_EQ(commands.last(), kExitPassword);
    for (const ScriptedDVM::Sent &s : dvm.sent) {
        if (s.command.startsWith(QLatin1String("Ws"))) {
            EXPECT_EQ(s.timeout, 10);
        } else if (s.command.startsWith(QLatin1Char('&'))) {
            EXPECT_EQ(s.timeout, 5);
        }
    }
}

TEST_F(SpecOperationsTest, ASetupPasswordRefusalEndsTheSaveWithoutAVersionRecord)
{
    for (int column = 1; column <= 4; ++column)
        makePending(1, column, QString::number(column));
    dvm.responder = [](const QString &command) {
        return command.startsWith(QLatin1String("Ws1,2")) ? QStringLiteral("*6\r") : QStringLiteral("*0\r");
    };
    const SpecOperations::SaveSummary summary = operations().saveToMeter();
    EXPECT_EQ(summary.outcome, Outcome::PasswordNeeded);
    EXPECT_EQ(dvm.commands(), (QStringList{kCalibratePassword, "Ws1,0,1", "Ws1,1,2", "Ws1,2,3", kExitPassword}));
    EXPECT_EQ(prompts.texts(), QStringList{"Setup Password Needed"});
    EXPECT_EQ(table.state(1, 2), State::InStep);
    EXPECT_EQ(table.state(1, 3), State::Pending);
    EXPECT_EQ(table.state(1, 4), State::Pending);
    EXPECT_EQ(busyCalls, (QList<bool>{true, false}));
}

TEST_F(SpecOperationsTest, AWriteWithoutAClearStatusStopsTheSaveWithThatCellAndTheRestPending)
{
    // No answer, a port that cannot be used, a re-entry, a flood, and noise in front of a status:
    // the instrument may or may not have taken the figure, so nothing is marked either way, and a
    // table half written gets no version record.
    const QStringList unclear = {Reply::Timeout,
                                 QString(),
                                 Reply::Busy,
                                 Reply::Overflow,
                                 QString::fromLatin1("\0\xff\x80~*0\r"),
                                 QStringLiteral("junk\r*0\r")};
    for (const QString &reply : unclear) {
        table.initGrid();
        prompts.shown.clear();
        dvm.sent.clear();
        for (int column = 1; column <= 4; ++column)
            makePending(2, column, QString::number(column));
        makePending(71, 1, QStringLiteral("9"));
        dvm.responder = [&reply](const QString &command) {
            return command == QLatin1String("Ws2,1,2") ? reply : QStringLiteral("*0\r");
        };
        QList<SpecOperations::WriteResult> results;
        hooks.cellWritten = [&results](const SpecOperations::CellWrite &w) {
            results << w.result;
            return true;
        };
        const SpecOperations::SaveSummary summary = operations().saveToMeter();
        EXPECT_EQ(summary.outcome, Outcome::Failed);
        EXPECT_FALSE(summary.complete());
        using W = SpecOperations::WriteResult;
        EXPECT_EQ(results, QList<W>({W::Accepted, W::NoAnswer}));
        EXPECT_EQ(table.state(2, 1), State::InStep);
        for (int column = 2; column <= 4; ++column)
            EXPECT_EQ(table.state(2, column), State::Pending) << column;
        EXPECT_EQ(dvm.commands(), (QStringList{kCalibratePassword, "Ws2,0,1", "Ws2,1,2", kExitPassword}));
        // Row 71 is never written, so it is not counted among the cells left for the next save.
        EXPECT_EQ(prompts.texts(),
                  QStringList{"No clear answer from the meter: 3 changed cells not written, they stay pending"});
    }
}

TEST_F(SpecOperationsTest, TheVersionRecordNamesTheVersionOnlyForMoreThan100Cells)
{
    const QDate date(2030, 1, 1);
    EXPECT_EQ(SpecOperations::versionRecord(QStringLiteral("ABCD"), 0, date), "");
    EXPECT_EQ(SpecOperations::versionRecord(QStringLiteral("ABCD"), 1, date), "&05Spec ___ 01/01/30");
    EXPECT_EQ(SpecOperations::versionRecord(QStringLiteral("ABCD"), 100, date), "&05Spec ___ 01/01/30");
    EXPECT_EQ(SpecOperations::versionRecord(QStringLiteral("ABCD"), 101, date), "&05Spec ABC 01/01/30");
    EXPECT_EQ(SpecOperations::versionRecord(QString(), 101, date), "&05Spec ___ 01/01/30");
    EXPECT_EQ(SpecOperations::versionRecord(QStringLiteral("   "), 101, date), "&05Spec ___ 01/01/30");

    // Counted over a real save: 100 written cells, then 101, with a version text.
    table.setVersion(QStringLiteral("V12 rev"));
    for (int i = 0; i < 100; ++i)
        makePending(1 + i / 14, 1 + i % 14, QStringLiteral("1"));
    operations().saveToMeter();
    EXPECT_EQ(dvm.commands().filter(QStringLiteral("&05")), QStringList{"&05Spec ___ 08/12/26"});
    dvm.sent.clear();
    for (int i = 0; i < 101; ++i)
        makePending(1 + i / 14, 1 + i % 14, QStringLiteral("2"));
    operations().saveToMeter();
    EXPECT_EQ(dvm.commands().filter(QStringLiteral("&05")), QStringList{"&05Spec V12 08/12/26"});
}

TEST_F(SpecOperationsTest, TheVersionDateIsWrittenWithSlashesWhateverTheLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    makePending(1, 1, QStringLiteral("1"));
    operations().saveToMeter();
    QLocale::setDefault(previous);
    EXPECT_EQ(dvm.commands().filter(QStringLiteral("&05")), QStringList{"&05Spec ___ 08/12/26"});
}

TEST_F(SpecOperationsTest, ARefusedVersionRecordIsReportedAndTheSaveIsIncomplete)
{
    makePending(1, 1, QStringLiteral("1"));
    dvm.responder = [](const QString &command) {
        return command.startsWith(QLatin1Char('&')) ? QStringLiteral("*9\r") : QStringLiteral("*0\r");
    };
    const SpecOperations::SaveSummary summary = operations().saveToMeter();
    EXPECT_EQ(prompts.texts(), QStringList{"Set Information Failed "});
    EXPECT_FALSE(summary.complete());
    EXPECT_EQ(dvm.commands().last(), kExitPassword);
}

// --- Clear Meter ------------------------------------------------------------------------------

TEST_F(SpecOperationsTest, ClearAsksFirstThenClearsReportsAndReadsTheTableAgain)
{
    prompts.answers << Prompts::Answer::No;
    EXPECT_EQ(operations().clearMeter(), Outcome::Cancelled);
    EXPECT_TRUE(dvm.sent.isEmpty());
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, "This will clear specifications for all ranges - please confirm");
    EXPECT_EQ(prompts.shown[0].title, "Clear Specifications");
    EXPECT_EQ(prompts.shown[0].defaultAnswer, Prompts::Answer::No);

    prompts.answers << Prompts::Answer::Yes;
    EXPECT_EQ(operations().clearMeter(), Outcome::Done);
    EXPECT_EQ(dvm.commands(), (QStringList{kSystemPassword, "WS", kExitPassword, "ps"}));
    EXPECT_EQ(dvm.sent[1].timeout, 120);
    EXPECT_EQ(statuses, QStringList{"Specifications cleared ok"});

    dvm.sent.clear();
    dvm.responder = [](const QString &command) {
        return command == QLatin1String("WS") ? QStringLiteral("*9\r") : QStringLiteral("*0\r");
    };
    prompts.answers << Prompts::Answer::Yes;
    EXPECT_EQ(operations().clearMeter(false), Outcome::Failed);
    EXPECT_EQ(dvm.commands(), (QStringList{kSystemPassword, "WS", kExitPassword}));
    EXPECT_EQ(statuses.last(), "Error - Specifications not cleared");
}

// --- files ------------------------------------------------------------------------------------

TEST_F(SpecOperationsTest, ACancelledOrFailedLoadKeepsTheTable)
{
    makePending(2, 3, QStringLiteral("7"));
    table.setVersion(QStringLiteral("V1"));
    EXPECT_EQ(operations().loadFromFile(), Outcome::Cancelled);
    EXPECT_TRUE(prompts.shown.isEmpty()) << "a cancelled dialog says nothing";
    ASSERT_EQ(prompts.dialogs.size(), 1);
    EXPECT_EQ(prompts.dialogs[0].at(1), "Specification Files (*.spec)");

    QTemporaryDir dir;
    EXPECT_EQ(operations().fileLoad(dir.filePath(QStringLiteral("missing.spec"))), Outcome::Failed);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].text.startsWith(QLatin1String("Error loading specifications: ")));
    EXPECT_EQ(table.text(2, 3), "7");
    EXPECT_EQ(table.version(), "V1");
}

TEST_F(SpecOperationsTest, SaveToFileSuggestsTodaysNameAndSaysSoWhenNothingWasSaved)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.spec"));
    prompts.fileNames << path;
    EXPECT_EQ(operations().saveToFile(), Outcome::Done);
    ASSERT_EQ(prompts.dialogs.size(), 1);
    EXPECT_EQ(prompts.dialogs[0].at(2),
              QStringLiteral("DMMBackup-") + QLocale().toString(QDate(2026, 12, 8), "ddMMMyy")
                  + QStringLiteral(".spec"));
    EXPECT_TRUE(QFile::exists(path));

    EXPECT_EQ(operations().saveToFile(), Outcome::Cancelled);
    prompts.fileNames << dir.filePath(QStringLiteral("no/such/folder/x.spec"));
    EXPECT_EQ(operations().saveToFile(), Outcome::Failed);
    EXPECT_EQ(prompts.texts(), (QStringList{"Backup not saved", "Backup not saved"}));
    EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Critical);
}

TEST_F(SpecOperationsTest, SaveToFileOfAFigureWithACommaNamesTheCellBeforeAnyNameIsAsked)
{
    table.ensureRow(2);
    table.setCell(2, 3, QStringLiteral("22,5"), State::Pending);
    EXPECT_EQ(operations().saveToFile(), Outcome::Failed);
    EXPECT_TRUE(prompts.dialogs.isEmpty());
    EXPECT_EQ(prompts.texts(),
              QStringList{"Backup not saved\n\nrow 2, column 3 holds \"22,5\": a comma cannot be kept in the file"});
}

} // namespace
