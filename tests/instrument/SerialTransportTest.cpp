#include "instrument/serial/SerialTransport.h"

#include "fixtures/FakeClock.h"
#include "fixtures/PtyPeer.h"
#include "instrument/Reply.h"
#include "instrument/TransportState.h"
#include "instrument/serial/PortTable.h"
#include "instrument/serial/SerialPortControl.h"

#include <gtest/gtest.h>

namespace {

class SerialTransportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.isOpen());
        table.bind(3, peer.devicePath());
        ASSERT_TRUE(transport.open(Endpoint::serialPort(3)));
    }

    /// The exchange's reply as the windows compare it; the reply value stays in `last`.
    QString send(const QString &command, bool wait = true, int timeout = 5, int end = 1)
    {
        last = transport.exchange({command, wait, timeout, end});
        return last.conventionalText();
    }

    ScopedFakeClock fake;
    FakeClock &clock = fake.clock;
    PtyPeer peer;
    PortTable table;
    SerialPortControl port{&table};
    TransportState state;
    SerialTransport transport{state, &port};
    ExchangeReply last;
};

TEST_F(SerialTransportTest, OpensPortOnFirstUseWithLoneCrThenSendsCommand)
{
    peer.setResponder([](const QByteArray &line) { return line == "T" ? QByteArray("*0\r\n") : QByteArray(); });
    EXPECT_EQ(send("T"), "*0\r");
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(peer.received(), QByteArray("\rT\r"));
}

TEST_F(SerialTransportTest, StatusLineEndsGatheredReplyAndLinesKeepCr)
{
    peer.setResponder([](const QByteArray &) { return QByteArray("12\r\n-3\r\n*0\r\n"); });
    EXPECT_EQ(send("CAL:PRINT 001"), "12\r-3\r*0\r");
    EXPECT_EQ(last.outcome, ExchangeOutcome::Answered);
}

TEST_F(SerialTransportTest, FirstLineEndsReplyWhenEndConditionIsZero)
{
    peer.setResponder([](const QByteArray &) { return QByteArray("Quorvadine,5241\r\n*0\r\n"); });
    EXPECT_EQ(send("*IDN?", true, 2, 0), "Quorvadine,5241\r");
    // The status line left behind is discarded before the next command goes out.
    peer.setResponder([](const QByteArray &) { return QByteArray("*0\r\n"); });
    EXPECT_EQ(send("L"), "*0\r");
}

TEST_F(SerialTransportTest, EveryDataLineRestartsTheTimeout)
{
    // Three lines 4 s apart with a 5 s time-out: 12 s in all, but no gap reaches 5 s.
    peer.setResponder([this](const QByteArray &) {
        peer.sendAfter(4000, "1\r\n");
        peer.sendAfter(8000, "2\r\n");
        peer.sendAfter(12000, "*0\r\n");
        return QByteArray();
    });
    const qint64 start = clock.nowMs();
    EXPECT_EQ(send("ps", true, 5, 1), "1\r2\r*0\r");
    EXPECT_GE(clock.nowMs() - start, 12000);
}

TEST_F(SerialTransportTest, SilenceAfterLastLineGivesTimeoutAndDropsGatheredLines)
{
    peer.setResponder([this](const QByteArray &) {
        peer.sendAfter(1000, "data\r\n");
        return QByteArray();
    });
    const qint64 start = clock.nowMs();
    EXPECT_EQ(send("X", true, 5, 1), Reply::Timeout);
    const qint64 elapsed = clock.nowMs() - start;
    EXPECT_GE(elapsed, 6000); // counted from the data line, not from the command
    EXPECT_LT(elapsed, 7000);
    EXPECT_EQ(last.outcome, ExchangeOutcome::TimedOut);
}

TEST_F(SerialTransportTest, NoAnswerAtAllTimesOutWithoutRealWaiting)
{
    const qint64 start = clock.nowMs();
    EXPECT_EQ(send("*IDN?", true, 120, 1), Reply::Timeout);
    EXPECT_GE(clock.nowMs() - start, 120000);
}

TEST_F(SerialTransportTest, NotWaitingReturnsEmptyAtOnce)
{
    EXPECT_EQ(send("SYSTEM:REBOOT", false, 10, 1), "");
    EXPECT_EQ(last.outcome, ExchangeOutcome::NotAwaited);
    EXPECT_TRUE(peer.received().endsWith("SYSTEM:REBOOT\r"));
}

TEST_F(SerialTransportTest, ReadLineTrimsLeadingBlanksKeepsTrailingAndLeavesLfForNextLine)
{
    ASSERT_TRUE(port.open());
    peer.send("  1.2345  \r\n  next\r");
    EXPECT_EQ(transport.readLine(2000), "1.2345  ");
    EXPECT_EQ(transport.buffer(), QByteArray("\n  next\r"));
    // The LF is not a blank, so the blanks after it survive the trim; then the LF goes.
    EXPECT_EQ(transport.readLine(2000), "  next");
}

TEST_F(SerialTransportTest, ReadLineKeepsPartialLineBufferedUntilItsCrArrives)
{
    ASSERT_TRUE(port.open());
    peer.send("par");
    EXPECT_EQ(transport.readLine(2000), "");
    peer.send("tial\r");
    EXPECT_EQ(transport.readLine(2000), "partial");
}

TEST_F(SerialTransportTest, ReplySplitWithGapsIsGatheredWhole)
{
    peer.setResponder([this](const QByteArray &) {
        peer.sendAfter(300, "Vers");
        peer.sendAfter(900, "ion 2\r\n*");
        peer.sendAfter(1500, "0\r\n");
        return QByteArray();
    });
    EXPECT_EQ(send("T", true, 5, 1), "Version 2\r*0\r");
}

TEST_F(SerialTransportTest, LateReplyOfAnAbandonedCommandIsDiscarded)
{
    peer.setResponder([this](const QByteArray &line) {
        if (line == "SLOW")
            peer.sendAfter(3000, "late\r\n*0\r\n");
        else
            return QByteArray("fresh\r\n*0\r\n");
        return QByteArray();
    });
    EXPECT_EQ(send("SLOW", true, 2, 1), Reply::Timeout);
    clock.advance(2000); // the late answer arrives while nobody waits
    EXPECT_EQ(send("NEXT", true, 2, 1), "fresh\r*0\r");
}

TEST_F(SerialTransportTest, PortThatDoesNotOpenGivesEmptyReply)
{
    port.setPortNumber(9); // bound to nothing
    EXPECT_EQ(send("T"), "");
    EXPECT_EQ(last.outcome, ExchangeOutcome::OpenFailed);
    EXPECT_FALSE(last.detail.isEmpty()); // the reason, for the messages
}

TEST_F(SerialTransportTest, PeerVanishingMidReplyEndsExchangeWithoutSuccess)
{
    peer.setResponder([this](const QByteArray &) {
        peer.send("partial\r\n");
        systemClock().schedule(500, &peer, [this] { peer.hangUp(); });
        return QByteArray();
    });
    const QString reply = send("CAL:PRINT 001", true, 10, 1);
    EXPECT_FALSE(reply.startsWith("*0"));
    EXPECT_NE(last.outcome, ExchangeOutcome::Answered);
}

TEST_F(SerialTransportTest, EndlessLineWithoutCrIsCutOffAtTheBound)
{
    peer.setResponder([this](const QByteArray &) {
        const QByteArray chunk(64 * 1024, 'x');
        for (int i = 0; i < 20; ++i)
            peer.sendAfter(10 * i, chunk);
        return QByteArray();
    });
    EXPECT_EQ(send("X", true, 5, 1), Reply::Overflow);
    EXPECT_EQ(last.outcome, ExchangeOutcome::Overflow);
}

TEST_F(SerialTransportTest, PacingWaitsLongerForBackToBackCommands)
{
    peer.setResponder([](const QByteArray &) { return QByteArray("*0\r\n"); });
    send("A");
    const qint64 t0 = clock.nowMs();
    send("B", false);
    const qint64 backToBack = clock.nowMs() - t0;
    clock.advance(1000);
    const qint64 t1 = clock.nowMs();
    send("C", false);
    const qint64 afterPause = clock.nowMs() - t1;
    EXPECT_EQ(backToBack, 20);
    EXPECT_EQ(afterPause, 5);
}

TEST_F(SerialTransportTest, ActivityIsFedWhileWaiting)
{
    int calls = 0;
    state.activityHook = [&calls](const QString &) { ++calls; };
    peer.setResponder([this](const QByteArray &) {
        peer.sendAfter(1000, "*0\r\n");
        return QByteArray();
    });
    send("T");
    EXPECT_GE(calls, 1000 / TransportState::kActivityStepMs);
}

} // namespace
