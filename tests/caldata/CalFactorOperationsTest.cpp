#include "caldata/CalFactorOperations.h"

#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"
#include "instrument/Reply.h"

#include <gtest/gtest.h>

namespace {

using State = CalFactorTable::CellState;
using Outcome = CalFactorOperations::Outcome;

const QString kSystemPassword = QStringLiteral("SYSTEM:PASSWORD 5820316");
const QString kCalibratePassword = QStringLiteral("CALIBRATE:PASSWORD 7715");
const QString kExitPassword = QStringLiteral("CAL:PASSWORD 0");

class CalFactorOperationsTest : public ::testing::Test
{
protected:
    CalFactorOperationsTest()
    {
        hooks.status = [this](const QString &text) { statuses << text; };
        hooks.busy = [this](bool on) { busyCalls << on; };
    }

    /// The write sequences are checked here without the read-back, which has a test of its own.
    CalFactorOperations operations(bool verify = false)
    {
        CalFactorOperations ops(table, dvm, prompts, hooks);
        ops.setVerifyWrites(verify);
        return ops;
    }

    /// Commands sent, without the CAL:PRINT re-read that follows some operations.
    QStringList commandsBeforeReread() const
    {
        QStringList out;
        for (const QString &c : dvm.commands()) {
            if (c.startsWith(QLatin1String("CAL:PRINT")))
                break;
            out << c;
        }
        return out;
    }

    void makePending(int row, int column, const QString &text) { table.setCell(row, column, text, State::Pending); }

    ScopedFakeClock fake;
    CalFactorTable table;
    ScriptedDVM dvm;
    ScriptedPrompts prompts;
    CalFactorOperations::Hooks hooks;
    QStringList statuses;
    QList<bool> busyCalls;
};

// --- Load from Calibrator ---

TEST_F(CalFactorOperationsTest, LoadReadsRanges1To149InOrderAndLabelsEachRow)
{
    table.setCell(2, 2, QStringLiteral("99"), State::Pending);
    dvm.responder = [](const QString &command) {
        return command == QLatin1String("CAL:PRINT 002") ? QStringLiteral("5\r-6\r*0\r") : QStringLiteral("*0\r");
    };
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);

    ASSERT_EQ(dvm.sent.size(), 149);
    EXPECT_EQ(dvm.sent.first().command, "CAL:PRINT 001");
    EXPECT_EQ(dvm.sent.last().command, "CAL:PRINT 149");
    for (const ScriptedDVM::Sent &s : dvm.sent) {
        EXPECT_TRUE(s.waitForAck);
        EXPECT_EQ(s.timeout, 10);
        EXPECT_EQ(s.packetEndCondition, 1);
    }
    EXPECT_EQ(table.rowCount(), 150);
    EXPECT_EQ(table.text(7, 0), "007: Unused");
    EXPECT_EQ(table.text(149, 0), "149: Unused");
    EXPECT_EQ(table.text(2, 1), "5");
    EXPECT_EQ(table.text(2, 2), "-6");
    EXPECT_EQ(table.state(2, 2), State::InStep) << "a factor read from the instrument is not pending";
    EXPECT_EQ(table.pendingCount(), 0);
    EXPECT_EQ(busyCalls, QList<bool>({true, false}));
}

TEST_F(CalFactorOperationsTest, LoadPlacesReplyLinesByTheirPosition)
{
    struct Case
    {
        const char *name;
        QString reply;
        QStringList row; // columns 1, 2, ...
    };
    const Case cases[] = {
        {"values then status", "12\r-3\r7\r*0\r", {"12", "-3", "7", ""}},
        {"a *0 line leaves its column empty, the last line is never placed", "12\r*0\r15\r*0\r", {"12", "", "15", ""}},
        {"the last line is not placed even when it is a value", "12\r13", {"12", "", ""}},
        {"one line without a separator writes nothing", "42", {"", ""}},
        {"blanks around a value are trimmed", "  8 \r*0\r", {"8", ""}},
    };
    for (const Case &c : cases) {
        dvm.responder = [&c](const QString &command) {
            return command == QLatin1String("CAL:PRINT 021") ? c.reply : QStringLiteral("*0\r");
        };
        ASSERT_EQ(operations().loadFromCalibrator(), Outcome::Done) << c.name;
        for (int i = 0; i < c.row.size(); ++i)
            EXPECT_EQ(table.text(21, i + 1), c.row[i]) << c.name << ", column " << i + 1;
    }
}

TEST_F(CalFactorOperationsTest, ARangeWithoutAnswerEndsTheReadingKeepsTheRowsReadAndSaysWhichAreMissing)
{
    // An empty reply is a port that cannot be used; each of these would repeat for every range.
    for (const QString &dead : {QString(), Reply::Timeout, Reply::Busy, Reply::Overflow}) {
        dvm.sent.clear();
        statuses.clear();
        dvm.responder = [&dead](const QString &command) {
            return command == QLatin1String("CAL:PRINT 050") ? dead : QStringLiteral("1\r2\r*0\r");
        };
        EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Failed) << dead.toStdString();
        EXPECT_EQ(dvm.sent.size(), 50);
        EXPECT_EQ(statuses, QStringList({"Calibrator not responding: ranges 050 to 149 not read"}));
        EXPECT_EQ(table.text(49, 2), "2") << "the rows read before stay";
        EXPECT_EQ(table.text(50, 1), "");
        EXPECT_EQ(table.text(51, 0), "") << "an unread range has no label";
    }
}

TEST_F(CalFactorOperationsTest, AReplyTooLongForTheRowClearsTheWholeGrid)
{
    QString tooLong;
    for (int i = 0; i < 70; ++i)
        tooLong += QString::number(i) + QLatin1Char('\r');
    dvm.responder = [&tooLong](const QString &command) {
        return command == QLatin1String("CAL:PRINT 003") ? tooLong + QStringLiteral("*0\r") : QStringLiteral("1\r*0\r");
    };
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Failed);
    EXPECT_EQ(dvm.sent.size(), 3) << "reading stops at the range that could not be placed";
    EXPECT_EQ(table.text(0, 1), "") << "headings are cleared too";
    EXPECT_EQ(table.text(1, 0), "");
    EXPECT_EQ(table.text(1, 1), "");
    EXPECT_EQ(busyCalls, QList<bool>({true, false})) << "the buttons come back after a failure";

    // 66 values still fit: columns 1 to 66.
    tooLong.clear();
    for (int i = 0; i < 66; ++i)
        tooLong += QString::number(i) + QLatin1Char('\r');
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    EXPECT_EQ(table.text(3, 66), "65");
}

TEST_F(CalFactorOperationsTest, ARangeHookCanStopTheReading)
{
    hooks.rangeRead = [](int range, const QString &) { return range < 5; };
    EXPECT_EQ(operations().loadFromCalibrator(), Outcome::Stopped);
    EXPECT_EQ(dvm.sent.size(), 5);
}

// --- Save To Calibrator ---

TEST_F(CalFactorOperationsTest, SaveSendsPendingCellsRowByRowLeftToRightAndMarksThemInStep)
{
    table.reshapeForFactors();
    makePending(2, 3, QStringLiteral("30"));
    makePending(1, 5, QStringLiteral("-12"));
    makePending(2, 1, QStringLiteral("007"));
    table.setCell(1, 1, QStringLiteral("44"), State::InStep);
    table.setCell(1, 2, QStringLiteral("45"), State::Rejected);
    makePending(1, 3, QString());

    const auto summary = operations().saveToCalibrator();
    EXPECT_EQ(summary.outcome, Outcome::Done);
    EXPECT_EQ(summary.accepted, 3);
    EXPECT_EQ(dvm.commands(),
              QStringList({kSystemPassword, "CALIBRATION:SETCAL 4,1,-12", "CALIBRATION:SETCAL 0,2,7",
                           "CALIBRATION:SETCAL 2,2,30", kExitPassword}));
    EXPECT_EQ(dvm.sent[1].timeout, 10);
    EXPECT_EQ(dvm.sent[1].packetEndCondition, 1);
    EXPECT_EQ(table.state(1, 5), State::InStep);
    EXPECT_EQ(table.state(2, 1), State::InStep);
    EXPECT_EQ(table.text(2, 1), "007") << "the cell keeps the text as typed";
    EXPECT_EQ(table.state(1, 2), State::Rejected) << "a red cell is not sent again";
    EXPECT_EQ(busyCalls, QList<bool>({true, false}));
}

TEST_F(CalFactorOperationsTest, EachWrittenRangeIsReadBackAndAFactorNotKeptAsWrittenTurnsPurple)
{
    table.reshapeForFactors();
    makePending(1, 1, QStringLiteral("10"));
    makePending(1, 2, QStringLiteral("20"));
    makePending(2, 1, QStringLiteral("30"));
    makePending(3, 1, QStringLiteral("40"));
    // Range 1 keeps its second factor wrong, range 2 gives no usable answer, range 3 is right.
    dvm.responder = [](const QString &command) {
        if (command == QLatin1String("CAL:PRINT 001"))
            return QStringLiteral("10\r21\r*0\r");
        if (command == QLatin1String("CAL:PRINT 002"))
            return QStringLiteral("*3\r");
        if (command == QLatin1String("CAL:PRINT 003"))
            return QStringLiteral("40.0\r*0\r");
        return QStringLiteral("*0\r");
    };
    QStringList heard;
    hooks.notVerified = [&heard](const TableOperation::CellWrite &w, const QString &kept) {
        heard << QStringLiteral("%1,%2 %3").arg(w.row).arg(w.index).arg(kept);
    };
    const auto summary = operations(true).saveToCalibrator();
    EXPECT_EQ(dvm.commands(),
              QStringList({kSystemPassword, "CALIBRATION:SETCAL 0,1,10", "CALIBRATION:SETCAL 1,1,20", "CAL:PRINT 001",
                           "CALIBRATION:SETCAL 0,2,30", "CAL:PRINT 002", "CALIBRATION:SETCAL 0,3,40", "CAL:PRINT 003",
                           kExitPassword}));
    EXPECT_EQ(summary.accepted, 4);
    EXPECT_EQ(summary.notVerified, 2);
    EXPECT_FALSE(summary.complete());
    EXPECT_EQ(heard, QStringList({"1,1 21", "2,0 "}));
    EXPECT_EQ(table.state(1, 1), State::InStep);
    EXPECT_EQ(table.state(1, 2), State::NotVerified);
    EXPECT_TRUE(table.note(1, 2).contains(QLatin1String("holds 21 here, 20 was written")))
        << table.note(1, 2).toStdString();
    EXPECT_EQ(table.state(2, 1), State::NotVerified);
    EXPECT_TRUE(table.note(2, 1).contains(QLatin1String("could not be read back"))) << table.note(2, 1).toStdString();
    EXPECT_EQ(table.state(3, 1), State::InStep) << "40.0 is the 40 written";
    EXPECT_EQ(table.pendingCount(), 2) << "what is not kept as written is still to be written";
    EXPECT_EQ(operations().saveToCalibrator().accepted, 2) << "the next save writes the purple cells again";
}

TEST_F(CalFactorOperationsTest, PasswordNeededOnTheThirdCellStopsTheSaveAndStillLeavesSetupMode)
{
    table.reshapeForFactors();
    for (int column = 1; column <= 5; ++column)
        makePending(1, column, QString::number(column));
    int setCals = 0;
    dvm.responder = [&setCals](const QString &command) {
        if (command.startsWith(QLatin1String("CALIBRATION:SETCAL")) && ++setCals == 3)
            return QStringLiteral("*7\r");
        return QStringLiteral("*0\r");
    };
    const auto summary = operations().saveToCalibrator();
    EXPECT_EQ(summary.outcome, Outcome::PasswordNeeded);
    EXPECT_EQ(prompts.texts(), QStringList({"Password Needed"}));
    EXPECT_EQ(prompts.shown[0].buttons, Prompts::Buttons::Ok);
    EXPECT_EQ(setCals, 3);
    EXPECT_EQ(dvm.commands().last(), kExitPassword);
    EXPECT_EQ(table.state(1, 1), State::InStep);
    EXPECT_EQ(table.state(1, 2), State::InStep);
    for (int column = 3; column <= 5; ++column)
        EXPECT_EQ(table.state(1, column), State::Pending) << column;
}

TEST_F(CalFactorOperationsTest, RefusedWritesTurnRedAndTheSaveGoesOn)
{
    table.reshapeForFactors();
    const QStringList replies = {"*9\r", "*5\r", "*2\r", "*0\r"};
    for (int column = 1; column <= replies.size(); ++column)
        makePending(4, column, QString::number(column * 10));
    dvm.responder = [&replies](const QString &command) {
        if (!command.startsWith(QLatin1String("CALIBRATION:SETCAL")))
            return QStringLiteral("*0\r");
        const int index = command.section(QLatin1Char(' '), 1).section(QLatin1Char(','), 0, 0).toInt();
        return replies[index];
    };
    QList<CalFactorOperations::WriteResult> results;
    hooks.cellWritten = [&results](const CalFactorOperations::CellWrite &w) {
        results << w.result;
        return true;
    };
    const auto summary = operations().saveToCalibrator();
    EXPECT_EQ(summary.outcome, Outcome::Done);
    EXPECT_EQ(summary.rejected, 3);
    EXPECT_EQ(summary.accepted, 1);
    for (int column = 1; column <= 3; ++column)
        EXPECT_EQ(table.state(4, column), State::Rejected) << column;
    EXPECT_EQ(table.state(4, 4), State::InStep);
    using W = CalFactorOperations::WriteResult;
    EXPECT_EQ(results, QList<W>({W::Rejected, W::Rejected, W::Rejected, W::Accepted}));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(CalFactorOperationsTest, AWriteWithoutAClearStatusStopsTheSaveWithThatCellAndTheRestPending)
{
    // No answer, a port that cannot be used, a re-entry, a flood, and noise in front of a status:
    // the instrument may or may not have taken the value, so nothing is marked either way.
    const QStringList unclear = {Reply::Timeout, QString(), Reply::Busy, Reply::Overflow,
                                 QString::fromLatin1("\0\xff\x80~*0\r")};
    for (const QString &reply : unclear) {
        table.reshapeForFactors();
        prompts.shown.clear();
        dvm.sent.clear();
        for (int column = 1; column <= 4; ++column)
            makePending(4, column, QString::number(column * 10));
        dvm.responder = [&reply](const QString &command) {
            return command == QLatin1String("CALIBRATION:SETCAL 1,4,20") ? reply : QStringLiteral("*0\r");
        };
        QList<CalFactorOperations::WriteResult> results;
        hooks.cellWritten = [&results](const CalFactorOperations::CellWrite &w) {
            results << w.result;
            return true;
        };
        const auto summary = operations().saveToCalibrator();
        EXPECT_EQ(summary.outcome, Outcome::Failed);
        using W = CalFactorOperations::WriteResult;
        EXPECT_EQ(results, QList<W>({W::Accepted, W::NoAnswer}));
        EXPECT_EQ(table.state(4, 1), State::InStep);
        for (int column = 2; column <= 4; ++column)
            EXPECT_EQ(table.state(4, column), State::Pending) << column;
        EXPECT_EQ(
            dvm.commands(),
            QStringList({kSystemPassword, "CALIBRATION:SETCAL 0,4,10", "CALIBRATION:SETCAL 1,4,20", kExitPassword}));
        EXPECT_EQ(prompts.texts(),
                  QStringList({"No clear answer from the calibrator: 3 changed cells not written, they stay pending"}));
    }
}

TEST_F(CalFactorOperationsTest, NothingPendingStillSendsBothPasswords)
{
    dvm.responder = [](const QString &command) {
        return command.startsWith(QLatin1String("CAL:PRINT")) ? QStringLiteral("1\r2\r*0\r") : QStringLiteral("*0\r");
    };
    ASSERT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    dvm.sent.clear();
    EXPECT_EQ(operations().saveToCalibrator().outcome, Outcome::Done);
    EXPECT_EQ(dvm.commands(), QStringList({kSystemPassword, kExitPassword}));
}

TEST_F(CalFactorOperationsTest, ColumnsBeyondFactorIndex61AreNeverSentAndStayPending)
{
    table.reshapeForFactors();
    makePending(1, 62, QStringLiteral("1"));
    makePending(1, 63, QStringLiteral("2"));
    makePending(1, 66, QStringLiteral("3"));
    const auto summary = operations().saveToCalibrator();
    EXPECT_EQ(dvm.commands(), QStringList({kSystemPassword, "CALIBRATION:SETCAL 61,1,1", kExitPassword}));
    EXPECT_EQ(summary.notSent, 2);
    EXPECT_EQ(table.state(1, 63), State::Pending);
    EXPECT_EQ(table.state(1, 66), State::Pending);
}

TEST_F(CalFactorOperationsTest, APendingCellThatIsNotA32BitWholeNumberIsMarkedInvalidAndIsNotSent)
{
    struct Case
    {
        QString text;
        QString sent; // "" when nothing may be sent
    };
    const Case cases[] = {
        {"-12", "CALIBRATION:SETCAL 0,1,-12"},
        {" +5 ", "CALIBRATION:SETCAL 0,1,5"},
        {"2147483647", "CALIBRATION:SETCAL 0,1,2147483647"},
        {"-2147483648", "CALIBRATION:SETCAL 0,1,-2147483648"},
        {"2147483648", ""},
        {"-2147483649", ""},
        {"99999999999999999999", ""},
        {"12.5", ""},
        {"12.0", ""},
        {"1e3", ""},
        {"&H10", ""},
        {"abc", ""},
        {"-", ""},
        {"1 2", ""},
        {"5\r\nCC", ""},
    };
    for (const Case &c : cases) {
        table.reshapeForFactors();
        makePending(1, 1, c.text);
        makePending(1, 2, QStringLiteral("8"));
        dvm.sent.clear();
        operations().saveToCalibrator();
        QStringList expected = {kSystemPassword};
        if (!c.sent.isEmpty())
            expected << c.sent;
        expected << "CALIBRATION:SETCAL 1,1,8" << kExitPassword;
        EXPECT_EQ(dvm.commands(), expected) << c.text.toStdString();
        EXPECT_EQ(table.state(1, 1), c.sent.isEmpty() ? State::Invalid : State::InStep) << c.text.toStdString();
        EXPECT_EQ(table.note(1, 1), c.sent.isEmpty() ? "Not a whole number: never sent to the calibrator" : "")
            << c.text.toStdString();
        EXPECT_EQ(table.state(1, 2), State::InStep) << "the save goes on after " << c.text.toStdString();
    }
}

TEST_F(CalFactorOperationsTest, ACellHookCanStopTheSaveAndSetupModeIsStillLeft)
{
    table.reshapeForFactors();
    makePending(1, 1, QStringLiteral("5"));
    makePending(1, 2, QStringLiteral("6"));
    hooks.cellWritten = [](const CalFactorOperations::CellWrite &) { return false; };
    EXPECT_EQ(operations().saveToCalibrator().outcome, Outcome::Stopped);
    EXPECT_EQ(dvm.commands(), QStringList({kSystemPassword, "CALIBRATION:SETCAL 0,1,5", kExitPassword}));
}

// --- Backup, restore and clear ---

struct CopyCase
{
    const char *name;
    Outcome (CalFactorOperations::*run)(bool);
    QString question;
    QString title;
    QString command;
    QString passwordCommand;
    int timeout;
    QString done;
    QString failed;
};

const CopyCase kCopyCases[] = {
    {"backup", &CalFactorOperations::backupToSecondary,
     "This will copy the active calibration factors for all ranges to EEPROM backup - please confirm",
     "Backup Calibration", "CB", kCalibratePassword, 120, "Cal Factors backed up ok", "Error - Cal not backed up"},
    {"restore", &CalFactorOperations::restoreFromSecondary,
     "This will copy the EEPROM backup calibration factors over the current active calibration factors - please "
     "confirm",
     "Restore Calibration", "CR", kCalibratePassword, 120, "Cal Factors restored", "Error - Cal not restored"},
    {"clear", &CalFactorOperations::clearInstrument,
     "This will clear calibration factors for all ranges - please confirm", "Clear Calibration", "CC", kSystemPassword,
     60, "Calibration factors cleared ok", "Error - Calibration factors not cleared"},
};

TEST_F(CalFactorOperationsTest, CopyAndClearAskFirstWithNoAsTheDefaultAndDoNothingOnNo)
{
    for (const CopyCase &c : kCopyCases) {
        prompts.shown.clear();
        dvm.sent.clear();
        prompts.answers.enqueue(Prompts::Answer::No);
        auto ops = operations();
        EXPECT_EQ((ops.*c.run)(true), Outcome::Cancelled) << c.name;
        ASSERT_EQ(prompts.shown.size(), 1) << c.name;
        EXPECT_EQ(prompts.shown[0].text, c.question) << c.name;
        EXPECT_EQ(prompts.shown[0].title, c.title) << c.name;
        EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Question);
        EXPECT_EQ(prompts.shown[0].buttons, Prompts::Buttons::YesNo);
        EXPECT_EQ(prompts.shown[0].defaultAnswer, Prompts::Answer::No);
        EXPECT_TRUE(dvm.sent.isEmpty()) << c.name;
    }
}

TEST_F(CalFactorOperationsTest, CopyAndClearRunInSetupModeReportToTheStatusBoxAndReadTheGridAgain)
{
    for (const CopyCase &c : kCopyCases) {
        dvm.sent.clear();
        statuses.clear();
        QList<qint64> sentAt;
        dvm.responder = [this, &sentAt](const QString &command) {
            sentAt << fake.clock.nowMs();
            return command.startsWith(QLatin1String("CAL:PRINT")) ? QStringLiteral("3\r*0\r") : QStringLiteral("*0\r");
        };
        prompts.answers.enqueue(Prompts::Answer::Yes);
        auto ops = operations();
        EXPECT_EQ((ops.*c.run)(true), Outcome::Done) << c.name;
        EXPECT_EQ(commandsBeforeReread(), QStringList({c.passwordCommand, c.command, kExitPassword})) << c.name;
        EXPECT_EQ(dvm.sent[1].timeout, c.timeout) << c.name;
        EXPECT_EQ(dvm.sent[1].packetEndCondition, 1);
        EXPECT_EQ(dvm.sent.size(), 3 + 149) << c.name;
        EXPECT_EQ(statuses, QStringList({c.done})) << c.name;
        EXPECT_EQ(table.text(100, 1), "3");
        if (c.command != QLatin1String("CC")) {
            EXPECT_GE(sentAt[3] - sentAt[2], 500) << c.name << ": the instrument is given time after the copy";
        }
    }
}

TEST_F(CalFactorOperationsTest, CopyJudgesTheWholeStatusLineWithoutItsLineEnd)
{
    struct Case
    {
        QString reply;
        bool ok;
    };
    const Case cases[] = {{"*0\r", true},   {"*0", true},         {"*0\r\n", true},
                          {"*07\r", false}, {"*0 busy\r", false}, {"12\r*0\r", false},
                          {"*9\r", false},  {"TIMEOUT", false},   {"", false}};
    for (const CopyCase &c : kCopyCases) {
        for (const Case &r : cases) {
            statuses.clear();
            dvm.responder = [&](const QString &command) {
                return command == c.command ? r.reply : QStringLiteral("*0\r");
            };
            prompts.answers.enqueue(Prompts::Answer::Yes);
            auto ops = operations();
            const Outcome outcome = (ops.*c.run)(false);
            // Clearing tests the first two characters, like every other command; the copies
            // want the status line and nothing else.
            const bool ok = c.command == QLatin1String("CC") ? r.reply.startsWith(QLatin1String("*0")) : r.ok;
            EXPECT_EQ(statuses, QStringList({ok ? c.done : c.failed})) << c.name << " " << r.reply.toStdString();
            EXPECT_EQ(outcome, ok ? Outcome::Done : Outcome::Failed);
            EXPECT_EQ(dvm.commands().last(), kExitPassword) << "setup mode is left after a failed copy too";
        }
    }
}

TEST_F(CalFactorOperationsTest, CopyAndClearWithoutSetupModeSayErrorEnteringSetupMode)
{
    dvm.responder = [](const QString &) { return QStringLiteral("*7\r"); };
    for (const CopyCase &c : kCopyCases) {
        prompts.shown.clear();
        dvm.sent.clear();
        prompts.answers.enqueue(Prompts::Answer::Yes);
        auto ops = operations();
        EXPECT_EQ((ops.*c.run)(true), Outcome::NoSetupMode) << c.name;
        EXPECT_EQ(dvm.commands(), QStringList({c.passwordCommand})) << c.name;
        EXPECT_EQ(prompts.texts().last(), "Error entering setup mode");
    }
    EXPECT_TRUE(statuses.isEmpty());
}

} // namespace
