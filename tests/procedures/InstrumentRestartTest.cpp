#include "procedures/InstrumentRestart.h"

#include "ScriptedLink.h"
#include "fixtures/FakeClock.h"
#include "fixtures/SimPty.h"
#include "instrument/IDVM.h"
#include "session/InstrumentSession.h"

#include <gtest/gtest.h>

namespace {

/// The virtual calibrator on a pseudo-terminal as serial port 1, on virtual time.
struct RestartBench
{
    RestartBench()
    {
        session.context().portTable().bind(1, sim.devicePath());
        session.context().portTable().setExplicitOnly(true);
        session.createDvm(QStringLiteral("5200"));
        session.connect(Endpoint::serialPort(1));
    }

    ScopedFakeClock fake;
    SimPty sim;
    InstrumentSession session;
};

TEST(InstrumentRestart, SaysItIsRestartingAndAsksUntilTheInstrumentIsBack)
{
    const struct
    {
        int rebootMs;
        int attempts; // the first query waits its whole time-out, the restart is over by the next
    } cases[] = {{2000, 2}, {9000, 3}};
    for (const auto &c : cases) {
        RestartBench bench;
        ASSERT_TRUE(bench.sim.isOpen());
        bench.sim.memory().setRebootMs(c.rebootMs);
        QStringList said;
        const qint64 start = bench.fake.clock.nowMs();
        const InstrumentRestart::Result result =
            InstrumentRestart(bench.session.channel()).run([&said](const QString &text) { said << text; });
        ASSERT_TRUE(result.answered) << c.rebootMs;
        EXPECT_EQ(result.attempts, c.attempts) << c.rebootMs;
        EXPECT_TRUE(result.reply.startsWith(QLatin1String("Version 2.13\r"))) << result.reply.toStdString();
        ASSERT_EQ(said.size(), c.attempts);
        EXPECT_EQ(said[0], QStringLiteral("Instrument restarting..."));
        EXPECT_EQ(said.last(), QStringLiteral("Instrument restarting...\nAsking again (%1 of 6)").arg(c.attempts));
        EXPECT_GE(bench.fake.clock.nowMs() - start, c.rebootMs);
    }
}

TEST(InstrumentRestart, AnInstrumentThatNeverComesBackIsAskedSixTimesThenGivenUp)
{
    RestartBench bench;
    ASSERT_TRUE(bench.sim.isOpen());
    const qint64 start = bench.fake.clock.nowMs();
    bench.sim.knobs().silent = true;
    const InstrumentRestart::Result result = InstrumentRestart(bench.session.channel()).run();
    EXPECT_FALSE(result.answered);
    EXPECT_EQ(result.attempts, InstrumentRestart::kAttempts);
    // Each try waited its whole time-out and the pause after it, on virtual time.
    EXPECT_GE(bench.fake.clock.nowMs() - start,
              InstrumentRestart::kAttempts
                  * (InstrumentRestart::kQueryTimeoutSeconds * 1000 + InstrumentRestart::kRetryPauseMs));
}

TEST(InstrumentRestart, TheRestartIsSentWithoutWaitingAndWithoutAnInstrumentNothingIsAsked)
{
    ScriptedLink s;
    s.replies.insert("T", "Version 2.13\rS/N 1\r5241\r*0\r");
    const InstrumentRestart::Result result = InstrumentRestart(s.channel()).run();
    EXPECT_TRUE(result.answered);
    ASSERT_EQ(s.commands(), QStringList({"SYSTEM:REBOOT", "T"}));
    EXPECT_FALSE(s.dvm->sent[0].waitForAck);
    EXPECT_TRUE(s.dvm->sent[1].waitForAck);
    EXPECT_EQ(s.dvm->sent[1].timeout, 5);

    InstrumentSession empty;
    const InstrumentRestart::Result none = InstrumentRestart(empty.channel()).run();
    EXPECT_FALSE(none.answered);
    EXPECT_EQ(none.attempts, 0);
}

} // namespace
