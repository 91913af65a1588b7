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

    typename Kind::Operations operations() { return typename Kind::Operations(table, dvm, prompts, hooks); }
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
