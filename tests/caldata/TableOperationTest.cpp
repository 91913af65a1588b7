// What the factor and the specification table do alike, run on both: a refused password writes
// nothing, an unclear answer to it is followed by the exit password, setup mode is left and the
// busy state ended on every way out of a save, a clear and its re-reading are two busy stretches,
// a read that gets no answer ends at once, and only the table's own password code stops a save.

#include "caldata/CalFactorOperations.h"
#include "caldata/SpecOperations.h"
#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "fixtures/ScriptedPrompts.h"
#include "instrument/Reply.h"

#include <gtest/gtest.h>

namespace {

using State = CellTable::CellState;
using Outcome = TableOperation::Outcome;
using WriteResult = TableOperation::WriteResult;

const QString kSystemPassword = QStringLiteral("SYSTEM:PASSWORD 5820316");
const QString kCalibratePassword = QStringLiteral("CALIBRATE:PASSWORD 7715");
const QString kExitPassword = QStringLiteral("CAL:PASSWORD 0");

/// What the tests need to know of each table.
struct Factors
{
    using Table = CalFactorTable;
    using Operations = CalFactorOperations;
    static void shape(Table &table) { table.reshapeForFactors(); }
    static QString writePassword() { return kSystemPassword; }
    static QString clearCommand() { return QStringLiteral("CC"); }
    static QString firstRead() { return QStringLiteral("CAL:PRINT 001"); }
    static QString passwordNeeded() { return QStringLiteral("*7\r"); }
    static QString otherTablesPasswordNeeded() { return QStringLiteral("*6\r"); }
    /// The grid has no colour for an unsure write.
    static State otherStatusState() { return State::Rejected; }
    static QString cells() { return QStringLiteral("factors"); }
    static QString instrument() { return QStringLiteral("calibrator"); }
    /// Every range answers "*0": each is one range read.
    static int rangesReadOnEmptyAnswers() { return 149; }
};

struct Figures
{
    using Table = SpecTable;
    using Operations = SpecOperations;
    static void shape(Table &table) { table.ensureRow(2); }
    static QString writePassword() { return kCalibratePassword; }
    static QString clearCommand() { return QStringLiteral("WS"); }
    static QString firstRead() { return QStringLiteral("ps"); }
    static QString passwordNeeded() { return QStringLiteral("*6\r"); }
    static QString otherTablesPasswordNeeded() { return QStringLiteral("*7\r"); }
    static State otherStatusState() { return State::Unconfirmed; }
    static QString cells() { return QStringLiteral("figures"); }
    static QString instrument() { return QStringLiteral("meter"); }
    static int rangesReadOnEmptyAnswers() { return 0; }
};

template <typename Kind>
class TableOperationTest : public ::testing::Test
{
protected:
    TableOperationTest()
    {
        hooks.busy = [this](bool on) { busyCalls << on; };
        Kind::shape(table);
        table.setCell(1, 1, QStringLiteral("5"), State::Pending);
        table.setCell(1, 2, QStringLiteral("6"), State::Pending);
    }

    /// Without the read-back after a save, which the factor table's own tests cover.
    typename Kind::Operations operations()
    {
        typename Kind::Operations ops(table, dvm, prompts, hooks);
        ops.setVerifyWrites(false);
        return ops;
    }
    /// Answers the first write with `reply`, every other command with "*0".
    void answerFirstWrite(const QString &reply)
    {
        dvm.responder = [this, reply](const QString &command) {
            const bool write = command != Kind::writePassword() && command != kExitPassword;
            return write && writes++ == 0 ? reply : QStringLiteral("*0\r");
        };
    }

    ScopedFakeClock fake;
    typename Kind::Table table;
    ScriptedDVM dvm;
    ScriptedPrompts prompts;
    TableOperation::Hooks hooks;
    QList<bool> busyCalls;
    int writes = 0;
};

using Tables = ::testing::Types<Factors, Figures>;
TYPED_TEST_SUITE(TableOperationTest, Tables);

TYPED_TEST(TableOperationTest, EverySaveAndLoadEndsWithItsOutcomeInWords)
{
    QStringList outcomes;
    this->hooks.outcome = [&outcomes](const QString &text) { outcomes << text; };
    const QString fix = QStringLiteral(". Point at a coloured cell to see why, correct it and save again");
    const struct
    {
        QString firstReply;
        QString outcome; ///< %1 the cells, %2 the instrument
    } cases[] = {
        {QStringLiteral("*0\r"), "2 of 3 %1 written; 1 not numbers, never sent (orange)" + fix},
        {QStringLiteral("*9\r"),
         "1 of 3 %1 written; 1 refused by the %2 (red); 1 not numbers, never sent (orange)" + fix},
        {Reply::Timeout,
         "0 of 3 %1 written, then no clear answer from the %2: the rest stay pending. Check the "
         "connection and save again"},
        {TypeParam::passwordNeeded(), "0 of 3 %1 written, then the %2 asked for its password: the rest stay pending"},
    };
    for (const auto &c : cases) {
        this->table.setCell(1, 1, QStringLiteral("5"), State::Pending);
        this->table.setCell(1, 2, QStringLiteral("6"), State::Pending);
        this->table.setCell(1, 3, QStringLiteral("x"), State::Pending);
        this->writes = 0;
        this->answerFirstWrite(c.firstReply);
        outcomes.clear();
        this->operations().save();
        QString expected = c.outcome;
        expected.replace("%1", TypeParam::cells()).replace("%2", TypeParam::instrument());
        EXPECT_EQ(outcomes, QStringList{expected}) << c.firstReply.toStdString();
    }

    outcomes.clear();
    for (int column = 1; column <= 3; ++column)
        this->table.setState(1, column, State::InStep);
    this->dvm.responder = [](const QString &) { return QStringLiteral("*0\r"); };
    this->operations().save();
    this->operations().load();
    EXPECT_EQ(outcomes,
              QStringList({"Nothing to write: no changed cells",
                           QStringLiteral("%1 ranges read").arg(TypeParam::rangesReadOnEmptyAnswers())}));

    outcomes.clear();
    this->dvm.responder = [](const QString &) { return QStringLiteral("*9\r"); };
    this->table.setCell(1, 1, QStringLiteral("5"), State::Pending);
    this->operations().save();
    EXPECT_EQ(outcomes,
              QStringList{QStringLiteral("Nothing written: the %1 did not accept the setup password. Check "
                                         "the connection and save again")
                              .arg(TypeParam::instrument())});
}

TYPED_TEST(TableOperationTest, ARefusedPasswordSaysSoAndNothingIsWritten)
{
    this->dvm.responder = [](const QString &) { return QStringLiteral("*9\r"); };
    EXPECT_EQ(this->operations().save().outcome, Outcome::NoSetupMode);
    EXPECT_EQ(this->dvm.commands(), QStringList{TypeParam::writePassword()});
    ASSERT_EQ(this->prompts.shown.size(), 1);
    EXPECT_EQ(this->prompts.shown[0].text, "Error entering setup mode");
    EXPECT_EQ(this->prompts.shown[0].title, "");
    EXPECT_EQ(this->table.state(1, 1), State::Pending);
    EXPECT_TRUE(this->busyCalls.isEmpty());
}

TYPED_TEST(TableOperationTest, APasswordAnswerThatLeavesTheModeOpenIsFollowedByTheExitPassword)
{
    // The instrument may have taken a password whose answer was lost or garbled; a clear refusal
    // sends nothing more.
    const struct
    {
        QString reply;
        bool exitPassword;
    } cases[] = {{Reply::Timeout, true}, {QString::fromLatin1("\x80\xfe*0\r"), true}, {QStringLiteral("*9\r"), false}};
    for (const auto &c : cases) {
        const QStringList exit = c.exitPassword ? QStringList{kExitPassword} : QStringList{};
        this->dvm.sent.clear();
        this->dvm.responder = [&c](const QString &command) {
            return command.contains(QLatin1String("PASSWORD 7715"))
                    || command.contains(QLatin1String("PASSWORD 5820316"))
                ? c.reply
                : QStringLiteral("*0\r");
        };
        EXPECT_EQ(this->operations().save().outcome, Outcome::NoSetupMode);
        EXPECT_EQ(this->dvm.commands(), QStringList{TypeParam::writePassword()} + exit);
        EXPECT_EQ(this->prompts.texts().last(), "Error entering setup mode");

        this->dvm.sent.clear();
        this->prompts.answers << Prompts::Answer::Yes;
        EXPECT_EQ(this->operations().clear(false), Outcome::NoSetupMode);
        EXPECT_EQ(this->dvm.commands(), QStringList{kSystemPassword} + exit);
    }
    EXPECT_EQ(this->table.state(1, 1), State::Pending);
}

TYPED_TEST(TableOperationTest, EveryWayOutOfASaveLeavesSetupModeAndEndsTheBusyStretch)
{
    struct Case
    {
        const char *name;
        QString firstReply;
        bool hookStops;
        Outcome outcome;
    };
    const Case cases[] = {
        {"accepted", QStringLiteral("*0\r"), false, Outcome::Done},
        {"password needed", TypeParam::passwordNeeded(), false, Outcome::PasswordNeeded},
        {"no answer", Reply::Timeout, false, Outcome::Failed},
        {"stopped by the hook", QStringLiteral("*0\r"), true, Outcome::Stopped},
    };
    for (const Case &c : cases) {
        this->table.setState(1, 1, State::Pending);
        this->table.setState(1, 2, State::Pending);
        this->dvm.sent.clear();
        this->busyCalls.clear();
        this->writes = 0;
        this->answerFirstWrite(c.firstReply);
        this->hooks.cellWritten = [&c](const TableOperation::CellWrite &) { return !c.hookStops; };
        EXPECT_EQ(this->operations().save().outcome, c.outcome) << c.name;
        EXPECT_EQ(this->dvm.commands().first(), TypeParam::writePassword()) << c.name;
        EXPECT_EQ(this->dvm.commands().last(), kExitPassword) << c.name;
        EXPECT_EQ(this->busyCalls, QList<bool>({true, false})) << c.name;
    }
}

TYPED_TEST(TableOperationTest, OnlyTheTablesOwnPasswordCodeStopsASave)
{
    this->answerFirstWrite(TypeParam::otherTablesPasswordNeeded());
    QList<WriteResult> results;
    this->hooks.cellWritten = [&results](const TableOperation::CellWrite &w) {
        results << w.result;
        return true;
    };
    const TableOperation::SaveSummary summary = this->operations().save();
    EXPECT_EQ(summary.outcome, Outcome::Done);
    EXPECT_EQ(results.size(), 2) << "the save goes on after another status";
    EXPECT_EQ(this->table.state(1, 1), TypeParam::otherStatusState());
    EXPECT_EQ(this->table.state(1, 2), State::InStep);
    EXPECT_TRUE(this->prompts.texts().isEmpty());
}

TYPED_TEST(TableOperationTest, AClearAndItsReadingAreTwoBusyStretchesOneAfterTheOther)
{
    this->prompts.answers.enqueue(Prompts::Answer::Yes);
    this->operations().clear();
    const QStringList commands = this->dvm.commands();
    ASSERT_GE(commands.size(), 4);
    EXPECT_EQ(commands.mid(0, 4),
              QStringList({kSystemPassword, TypeParam::clearCommand(), kExitPassword, TypeParam::firstRead()}));
    EXPECT_EQ(this->busyCalls, QList<bool>({true, false, true, false}));
}

TYPED_TEST(TableOperationTest, AReadingWhoseFirstExchangeGetsNoAnswerEndsThere)
{
    for (const QString &dead : {QString(), Reply::Timeout, Reply::Busy, Reply::Overflow, Reply::NoBoard}) {
        this->dvm.sent.clear();
        this->dvm.responder = [&dead](const QString &) { return dead; };
        int exchangesSeen = 0;
        this->hooks.rangeRead = [&exchangesSeen](int, const QString &) { return ++exchangesSeen > 0; };
        auto operations = this->operations();
        EXPECT_EQ(operations.load(), Outcome::Failed) << dead.toStdString();
        EXPECT_EQ(this->dvm.commands(), QStringList{TypeParam::firstRead()}) << dead.toStdString();
        EXPECT_EQ(exchangesSeen, 0) << "an exchange without an answer is not reported as read";
        EXPECT_EQ(operations.rowsLoaded(), 0);
    }
}

} // namespace
