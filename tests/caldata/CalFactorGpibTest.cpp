#include "caldata/CalFactorOperations.h"
#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/SimGpib.h"
#include "instrument/IDVM.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

// The factor grid over the GPIB route: every range's multi-line "CAL:PRINT" answer is gathered
// up to its status line, and the writes reach the instrument, as over the serial line.
TEST(CalFactorGpib, LoadAndSaveWorkOverGpibAgainstTheVirtualCalibrator)
{
    ScopedFakeClock fake;
    SimGpib sim(9);
    InstrumentSession session;
    sim.connect(session);
    CalFactorTable table;
    ScriptedPrompts prompts;
    CalFactorOperations operations(table, *session.dvm(), prompts);

    ASSERT_TRUE(sim.memory().setFactor(21, 28, 4321));
    const qint64 start = fake.clock.nowMs();
    ASSERT_EQ(operations.loadFromCalibrator(), CalFactorOperations::Outcome::Done);
    // No range waited for the library's time-out: each answer ended on its status line.
    EXPECT_LT(fake.clock.nowMs() - start, 10000);
    for (int range = 1; range <= 149; ++range) {
        const QList<qint32> factors = sim.memory().factors(range);
        for (int column = 1; column < table.columnCount(); ++column) {
            const QString expected = column <= factors.size() ? QString::number(factors[column - 1]) : QString();
            ASSERT_EQ(table.text(range, column), expected) << range << "," << column;
        }
    }
    EXPECT_EQ(table.text(21, 29), QStringLiteral("4321"));

    ASSERT_TRUE(table.commit(21, 29, QStringLiteral("-1234")));
    const CalFactorOperations::SaveSummary summary = operations.saveToCalibrator();
    EXPECT_EQ(summary.outcome, CalFactorOperations::Outcome::Done);
    EXPECT_EQ(summary.accepted, 1);
    EXPECT_EQ(sim.memory().factors(21)[28], -1234);
    EXPECT_FALSE(sim.memory().inSetupMode());
    EXPECT_EQ(sim.bus->openHandles(), 0);
}

} // namespace
