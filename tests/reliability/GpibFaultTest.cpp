// Faults on the GPIB route: the board gone in the middle of a load, the instrument silent in the
// middle of a save.

#include "SerialFaultFixture.h"
#include "fixtures/SimGpib.h"

namespace {

using State = CalFactorTable::CellState;
using Outcome = CalFactorOperations::Outcome;

class GpibFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fake.clock.pauseSettleMs = 1;
        sim.connect(session);
    }

    ScopedFakeClock fake;
    SimGpib sim{9};
    InstrumentSession session;
    CalFactorTable table;
    ScriptedPrompts prompts;
    QStringList statuses;
};

TEST_F(GpibFaultTest, TheBoardDisappearsDuringALoad)
{
    describeCase("the GPIB board goes (an adapter unplugged) after range 49 of a 149-range load",
                 "the load stops and names ranges 050 to 149 as not read instead of reporting an empty table "
                 "as read");
    CalFactorOperations::Hooks hooks;
    hooks.status = [this](const QString &text) { statuses << text; };
    hooks.rangeRead = [this](int range, const QString &) {
        if (range == 49)
            sim.bus->setBoardFault(SimGpibBus::BoardFault::NoBoard);
        return true;
    };
    EXPECT_EQ(CalFactorOperations(table, *session.dvm(), prompts, hooks).loadFromCalibrator(), Outcome::Failed);
    EXPECT_EQ(statuses, QStringList({"Calibrator not responding: ranges 050 to 149 not read"}));
    EXPECT_EQ(table.text(49, 1), QString::number(sim.memory().factors(49)[0]));
}

TEST_F(GpibFaultTest, InstrumentSilentFromThe50thCellOfASave)
{
    describeCase("over GPIB, the instrument stops answering from the 50th cell of a 60-cell save",
                 "cells 50-60 stay pending and the save stops after one time-out with a plain message");
    table.reshapeForFactors();
    int cells = 0;
    for (int range = 1; range <= 149 && cells < 60; ++range) {
        for (int index = 0; index < sim.memory().factors(range).size() && cells < 60; ++index, ++cells)
            table.setCell(range, index + 1, QString::number(cells), State::Pending);
    }
    sim.knobs().silentFromCommand = sim.calibrator.commandsHeard() + 1 + 50;
    CalFactorOperations operations(table, *session.dvm(), prompts);
    operations.setVerifyWrites(false); // the case counts the write protocol's lines
    const auto summary = operations.saveToCalibrator();
    EXPECT_EQ(summary.outcome, Outcome::Failed);
    EXPECT_EQ(summary.accepted, 49);
    EXPECT_EQ(table.pendingCount(), 11);
    EXPECT_EQ(prompts.texts(),
              QStringList({"No clear answer from the calibrator: 11 changed cells not written, they stay pending"}));
}

} // namespace
