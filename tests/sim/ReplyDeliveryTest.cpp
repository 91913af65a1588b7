#include "fixtures/FakeClock.h"
#include "sim/ReplyDelivery.h"

#include <gtest/gtest.h>

namespace {

struct Arrival
{
    qint64 atMs;
    QByteArray bytes;
};

/// Records every chunk the delivery hands to its wire, with the virtual time it went out.
class ReplyDeliveryTest : public ::testing::Test
{
protected:
    QByteArray received() const
    {
        QByteArray all;
        for (const Arrival &a : arrivals)
            all += a.bytes;
        return all;
    }

    ScopedFakeClock fake;
    FaultKnobs knobs;
    QList<Arrival> arrivals;
    ReplyDelivery delivery{&knobs, [this](const QByteArray &b) { arrivals.append({fake.clock.nowMs(), b}); }};
};

TEST_F(ReplyDeliveryTest, WithoutKnobsTheReplyGoesOutAtOnceAndWhole)
{
    delivery.deliver("*0\r\n");
    ASSERT_EQ(arrivals.size(), 1);
    EXPECT_EQ(arrivals[0].bytes, "*0\r\n");
    EXPECT_EQ(arrivals[0].atMs, 0);
    delivery.deliver("");
    EXPECT_EQ(arrivals.size(), 1) << "an empty reply puts nothing on the wire";
    EXPECT_TRUE(delivery.isIdle());
}

TEST_F(ReplyDeliveryTest, DelayHoldsTheWholeReplyBack)
{
    knobs.replyDelayMs = 3000;
    fake.clock.advance(500);
    delivery.deliver("*0\r\n");
    fake.clock.advance(2999);
    EXPECT_TRUE(arrivals.isEmpty());
    EXPECT_FALSE(delivery.isIdle());
    fake.clock.advance(1);
    ASSERT_EQ(arrivals.size(), 1);
    EXPECT_EQ(arrivals[0].atMs, 3500);
    EXPECT_EQ(arrivals[0].bytes, "*0\r\n");
    EXPECT_TRUE(delivery.isIdle());
}

TEST_F(ReplyDeliveryTest, SplitPiecesArriveSeparatedByTheGapAfterTheDelay)
{
    knobs.replyDelayMs = 50;
    knobs.splitPieces = 3;
    knobs.splitGapMs = 100;
    delivery.deliver("12\r\n-7\r\n*0\r\n"); // 12 bytes
    fake.clock.advance(1000);
    ASSERT_EQ(arrivals.size(), 3);
    EXPECT_EQ(arrivals[0].atMs, 50);
    EXPECT_EQ(arrivals[1].atMs, 150);
    EXPECT_EQ(arrivals[2].atMs, 250);
    EXPECT_EQ(arrivals[0].bytes, "12\r\n");
    EXPECT_EQ(received(), "12\r\n-7\r\n*0\r\n");
}

TEST_F(ReplyDeliveryTest, GarbageComesFirstWithItsNulAndEightBitBytes)
{
    knobs.garbage = FaultKnobs::defaultGarbage();
    ASSERT_TRUE(knobs.garbage.contains('\0'));
    delivery.deliver("*0\r\n");
    EXPECT_EQ(received(), knobs.garbage + "*0\r\n");
    EXPECT_EQ(received().size(), knobs.garbage.size() + 4);
}

TEST_F(ReplyDeliveryTest, SilenceSendsNothingEver)
{
    knobs.silent = true;
    knobs.garbage = "xx";
    delivery.deliver("*0\r\n");
    fake.clock.advance(60000);
    EXPECT_TRUE(arrivals.isEmpty());
    EXPECT_TRUE(delivery.isIdle());
}

TEST_F(ReplyDeliveryTest, PacingKeepsToTheWireSpeedAndEndsOnTime)
{
    knobs.paceCharsPerSecond = 960; // 9600 baud, 8N1
    const QByteArray reply = QByteArray(94, 'x') + "\r\n"; // 96 characters: 100 ms on the wire
    delivery.deliver(reply);
    fake.clock.advance(1000);
    ASSERT_GT(arrivals.size(), 5) << "a paced reply arrives in many small chunks";
    qsizetype total = 0;
    for (const Arrival &a : arrivals) {
        total += a.bytes.size();
        // Never faster than the wire, never more than one 10 ms burst behind it.
        EXPECT_LE(total, a.atMs * 960 / 1000) << "at " << a.atMs;
        EXPECT_GE(total, (a.atMs - 10) * 960 / 1000) << "at " << a.atMs;
    }
    EXPECT_EQ(arrivals.last().atMs, 100);
    EXPECT_EQ(received(), reply);
}

TEST_F(ReplyDeliveryTest, PacingAppliesWithinEachSplitPiece)
{
    knobs.paceCharsPerSecond = 100; // 10 ms a character
    knobs.splitPieces = 2;
    knobs.splitGapMs = 1000;
    delivery.deliver("abcd");
    fake.clock.advance(5000);
    EXPECT_EQ(received(), "abcd");
    // "ab" takes 20 ms, then 1000 ms of quiet, then "cd" takes another 20 ms.
    EXPECT_EQ(arrivals.last().atMs, 1040);
    for (const Arrival &a : arrivals)
        EXPECT_FALSE(a.atMs > 20 && a.atMs < 1020) << "nothing may arrive during the gap, got at " << a.atMs;
}

TEST_F(ReplyDeliveryTest, ALaterReplyNeverOvertakesAnEarlierOne)
{
    knobs.replyDelayMs = 500;
    delivery.deliver("first\r\n");
    knobs.replyDelayMs = 0;
    delivery.deliver("second\r\n");
    EXPECT_TRUE(arrivals.isEmpty());
    fake.clock.advance(500);
    ASSERT_EQ(arrivals.size(), 2);
    EXPECT_EQ(received(), "first\r\nsecond\r\n");
}

TEST_F(ReplyDeliveryTest, CancelDropsWhatHasNotGoneOut)
{
    knobs.paceCharsPerSecond = 100;
    delivery.deliver("abcdefghij");
    fake.clock.advance(35);
    EXPECT_EQ(received(), "abc");
    delivery.cancel();
    fake.clock.advance(1000);
    EXPECT_EQ(received(), "abc");
    knobs.paceCharsPerSecond = 0;
    delivery.deliver("*0\r\n");
    EXPECT_EQ(received(), "abc*0\r\n") << "the delivery keeps working after a cancel";
}

} // namespace
