#include "caldata/CalFactorOperations.h"
#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimPty.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"
#include "sim/RangeLayout.h"

#include <gtest/gtest.h>

namespace {

using State = CalFactorTable::CellState;
using Outcome = CalFactorOperations::Outcome;

// The grid's operations through the program's own driver and serial transport against the
// virtual calibrator on a pseudo-terminal.
class CalFactorSimTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.isOpen());
        // Between two commands nothing is in flight, so the pacing pauses need not wait for
        // stragglers in real time.
        fake.clock.pauseSettleMs = 1;
        session.context().portTable().bind(1, sim.devicePath());
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        session.context().dvm1Comm()->setPortNumber(1);
        session.dvm()->connect(Endpoint::serialPort(session.context().dvm1Comm()->portNumber()));
    }
    CalFactorOperations operations()
    {
        CalFactorOperations::Hooks hooks;
        hooks.status = [this](const QString &text) { statuses << text; };
        return CalFactorOperations(table, *session.dvm(), prompts, hooks);
    }

    ScopedFakeClock fake;
    SimPty sim;
    InstrumentSession session;
    CalFactorTable table;
    ScriptedPrompts prompts;
    QStringList statuses;
};

TEST_F(CalFactorSimTest, LoadShowsEveryFactorTheInstrumentHolds)
{
    ASSERT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    for (int range = 1; range <= 149; ++range) {
        const QList<qint32> factors = sim.memory().factors(range);
        for (int column = 1; column < 67; ++column) {
            const QString expected = column <= factors.size() ? QString::number(factors[column - 1]) : QString();
            ASSERT_EQ(table.text(range, column), expected) << range << "," << column;
        }
    }
    EXPECT_EQ(table.pendingCount(), 0);
}

TEST_F(CalFactorSimTest, EditedCellsReachTheInstrumentAndARefusedOneTurnsRed)
{
    ASSERT_EQ(operations().loadFromCalibrator(), Outcome::Done);
    ASSERT_TRUE(table.commit(21, 29, QStringLiteral("-1234"))); // the last frequency point of 200mV AC
    ASSERT_TRUE(table.commit(21, 30, QStringLiteral("5")));     // one past it: the instrument refuses
    ASSERT_TRUE(table.commit(7, 1, QStringLiteral("9")));       // a range the instrument does not have
    ASSERT_TRUE(table.commit(1, 1, QStringLiteral("1.5")));     // never sent

    const auto summary = operations().saveToCalibrator();
    EXPECT_EQ(summary.outcome, Outcome::Done);
    EXPECT_EQ(summary.accepted, 1);
    EXPECT_EQ(summary.rejected, 3);
    EXPECT_EQ(sim.memory().factors(21)[28], -1234);
    EXPECT_EQ(table.state(21, 29), State::InStep);
    EXPECT_EQ(table.state(21, 30), State::Rejected);
    EXPECT_EQ(table.note(21, 30),
              "Refused by the calibrator: *9: the calibrator did not understand the command or its "
              "value");
    EXPECT_EQ(table.state(7, 1), State::Rejected);
    EXPECT_EQ(table.state(1, 1), State::Invalid);
    EXPECT_FALSE(sim.memory().inSetupMode()) << "the save leaves setup mode";
}

TEST_F(CalFactorSimTest, BackupThenRestoreBringsBackTheBackedUpFactors)
{
    prompts.answers << Prompts::Answer::Yes << Prompts::Answer::Yes;
    const qint32 original = sim.memory().factors(3)[0];
    EXPECT_EQ(operations().backupToSecondary(), Outcome::Done);
    EXPECT_EQ(statuses, QStringList({"Cal Factors backed up ok"}));

    sim.memory().setFactor(3, 0, original + 1);
    EXPECT_EQ(operations().restoreFromSecondary(), Outcome::Done);
    EXPECT_EQ(statuses.last(), "Cal Factors restored");
    EXPECT_EQ(sim.memory().factors(3)[0], original);
    EXPECT_EQ(table.text(3, 1), QString::number(original)) << "the grid is read again after the restore";
    EXPECT_FALSE(sim.memory().inSetupMode());
}

} // namespace
