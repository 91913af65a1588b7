#include "fixtures/FakeClock.h"
#include "fixtures/LastExchange.h"
#include "fixtures/SimGpib.h"
#include "instrument/IDVM.h"
#include "session/InstrumentSession.h"
#include "sim/CommandInterpreter.h"

#include <gtest/gtest.h>

namespace {

// The program's own driver and GPIB transport against the virtual calibrator on the simulated
// bus. The library's 10 s time-out runs on the virtual clock.
class GpibHostTest : public ::testing::Test
{
protected:
    void SetUp() override { sim.connect(session); }
    IDVM &dvm() { return *session.dvm(); }
    QString send(const QString &command, int end = 1, bool wait = true)
    {
        return dvm().SendString(command, wait, 5, end);
    }
    qint64 now() const { return fake.clock.nowMs(); }

    ScopedFakeClock fake;
    SimGpib sim{9};
    InstrumentSession session;
    LastExchange last{session.context()};
};

TEST_F(GpibHostTest, AStatusReplyKeepsItsCrAndLosesItsLf)
{
    EXPECT_EQ(send(QStringLiteral("SYSTEM:PASSWORD 5820316"), 0), QStringLiteral("*0\r"));
    EXPECT_TRUE(sim.memory().systemUnlocked());
    EXPECT_EQ(last.outcome(), ExchangeOutcome::Answered);
    EXPECT_EQ(sim.bus->openHandles(), 0);
}

TEST_F(GpibHostTest, TheBoardAndTheListenerDecideBetweenFalseAndNothing)
{
    struct Case
    {
        const char *what;
        SimGpibBus::BoardFault fault;
        int address;
        QString reply;
        ExchangeOutcome outcome;
    };
    const Case cases[] = {
        {"no listener", SimGpibBus::BoardFault::None, 5, QString(), ExchangeOutcome::LinkFailed},
        {"no board", SimGpibBus::BoardFault::NoBoard, 9, QStringLiteral("False"), ExchangeOutcome::NoBoard},
        {"locked board", SimGpibBus::BoardFault::Locked, 9, QStringLiteral("False"), ExchangeOutcome::NoBoard},
        {"driver error", SimGpibBus::BoardFault::DriverError, 9, QStringLiteral("False"), ExchangeOutcome::NoBoard},
        {"bus error", SimGpibBus::BoardFault::BusError, 9, QString(), ExchangeOutcome::LinkFailed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim.bus->setBoardFault(c.fault);
        dvm().connect(Endpoint::gpib(c.address));
        const qint64 start = now();
        EXPECT_EQ(send(QStringLiteral("*IDN?"), 0), c.reply);
        EXPECT_EQ(last.outcome(), c.outcome);
        // None of these waits for a reply that cannot come.
        EXPECT_LT(now() - start, 1000);
        EXPECT_EQ(sim.bus->openHandles(), 0);
    }
}

TEST_F(GpibHostTest, AReplyLongerThanAnyReadBufferArrivesWhole)
{
    const QByteArray longLine = QByteArray(10000, 'x') + "END";
    sim.calibrator.interpreter().addCommand("LONG?", [&](const CommandContext &) { return longLine + "\r\n"; });
    EXPECT_EQ(send(QStringLiteral("LONG?"), 0), QString::fromLatin1(longLine + "\r"));
    // Blanks around the answer go, as the instrument pads with them.
    sim.calibrator.interpreter().addCommand("PAD?", [](const CommandContext &) { return QByteArray("  +1.5  \r\n"); });
    EXPECT_EQ(send(QStringLiteral("PAD?"), 0), QStringLiteral("+1.5  \r"));
}

TEST_F(GpibHostTest, EndConditionOneGathersLinesUpToTheStatusLine)
{
    const QString info = send(QStringLiteral("T"), 1);
    EXPECT_EQ(info.count(QLatin1Char('\r')), 6) << info.toStdString();
    EXPECT_TRUE(info.endsWith(QLatin1String("*0\r")));
    EXPECT_FALSE(info.contains(QLatin1Char('\n')));

    // End condition 0, or a caller that does not wait, takes the first line only; the rest of the
    // answer does not leak into the next command's reply.
    const QString first = send(QStringLiteral("T"), 0);
    EXPECT_EQ(first, info.section(QLatin1Char('\r'), 0, 0) + QLatin1Char('\r'));
    EXPECT_EQ(send(QStringLiteral("T"), 1, false), first);
    EXPECT_TRUE(dvm().CheckIdentity(dvm().Identify()));
}

TEST_F(GpibHostTest, GatheringEndsWhenAReadRunsOutOfTime)
{
    // A reading has no status line: gathering stops after the library's 10 s of silence ...
    qint64 start = now();
    EXPECT_EQ(send(QStringLiteral("READ?"), 1), QStringLiteral("+0.000000E+00\r"));
    EXPECT_GE(now() - start, 10000);
    EXPECT_EQ(last.outcome(), ExchangeOutcome::Answered);
    // ... which the driver's own reading does not wait for.
    start = now();
    EXPECT_EQ(dvm().Read(), QStringLiteral("+0.000000E+00\r\n"));
    EXPECT_LT(now() - start, 1000);
}

TEST_F(GpibHostTest, SilenceGivesNothingAfterTheLibraryTimeOut)
{
    sim.knobs().silent = true;
    const qint64 start = now();
    EXPECT_EQ(send(QStringLiteral("CAL:PASSWORD 0")), QString());
    EXPECT_EQ(last.outcome(), ExchangeOutcome::TimedOut);
    EXPECT_GE(now() - start, 10000);
    EXPECT_LT(now() - start, 11000);
    EXPECT_EQ(sim.bus->openHandles(), 0);
}

TEST_F(GpibHostTest, ALateOrCutUpReplyIsWaitedForAndJoined)
{
    sim.knobs().replyDelayMs = 3000;
    sim.knobs().splitPieces = 4;
    sim.knobs().splitGapMs = 200;
    const qint64 start = now();
    const QString factors = send(QStringLiteral("CAL:PRINT 001"));
    EXPECT_GE(now() - start, 3000);
    EXPECT_TRUE(factors.endsWith(QLatin1String("*0\r"))) << factors.toStdString();
    EXPECT_EQ(factors.count(QLatin1Char('\r')), sim.memory().factors(1).size() + 1);
}

TEST_F(GpibHostTest, AWriteTheDeviceHeldOffIsSentOnceMore)
{
    sim.bus->refuseWrites = 1;
    EXPECT_EQ(send(QStringLiteral("SYSTEM:PASSWORD 5820316"), 0), QStringLiteral("*0\r"));
    sim.bus->refuseWrites = 2;
    EXPECT_EQ(send(QStringLiteral("SYSTEM:PASSWORD 5820316"), 0), QString());
    EXPECT_EQ(last.outcome(), ExchangeOutcome::LinkFailed);
    EXPECT_EQ(sim.bus->openHandles(), 0);
}

} // namespace
