#include "fixtures/FakeClock.h"
#include "sim/CommandWire.h"

#include <gtest/gtest.h>

namespace {

struct Heard
{
    qint64 atMs;
    QByteArray line;
};

class CommandWireTest : public ::testing::Test
{
protected:
    ScopedFakeClock fake;
    FaultKnobs knobs;
    QList<Heard> heard;
    CommandWire wire{&knobs, [this](const QByteArray &line) { heard.append({fake.clock.nowMs(), line}); }};
};

TEST_F(CommandWireTest, WithoutPacingEveryCompleteLineIsHeardAtOnce)
{
    wire.feed("*IDN?\r\nT\rCAL:PR");
    ASSERT_EQ(heard.size(), 2);
    EXPECT_EQ(heard[0].line, "*IDN?");
    EXPECT_EQ(heard[1].line, "T");
    wire.feed("INT 001\r");
    ASSERT_EQ(heard.size(), 3);
    EXPECT_EQ(heard[2].line, "CAL:PRINT 001");
    EXPECT_EQ(heard[2].atMs, 0);
}

TEST_F(CommandWireTest, APacedLineIsHeardWhenItsCrHasCrossed)
{
    knobs.paceCharsPerSecond = 960;
    fake.clock.advance(100);
    wire.feed("CAL:PRINT 001\r"); // 14 characters: 14.6 ms at 9600 baud
    EXPECT_TRUE(heard.isEmpty());
    fake.clock.advance(14);
    EXPECT_TRUE(heard.isEmpty());
    fake.clock.advance(1);
    ASSERT_EQ(heard.size(), 1);
    EXPECT_EQ(heard[0].atMs, 115);
    EXPECT_TRUE(wire.isIdle());
}

TEST_F(CommandWireTest, BytesWrittenWhileTheWireIsBusyQueueBehindAndKeepTheirOrder)
{
    knobs.paceCharsPerSecond = 100; // 10 ms a character
    wire.feed("ab\rc");             // "ab" CR heard at 30 ms
    fake.clock.advance(10);
    wire.feed("d\r");               // the wire is busy until 40 ms: "d" crosses by 50, CR by 60
    knobs.paceCharsPerSecond = 0;   // a line written later still waits for the ones before it
    wire.feed("e\r");
    fake.clock.advance(1000);
    ASSERT_EQ(heard.size(), 3);
    EXPECT_EQ(heard[0].line, "ab");
    EXPECT_EQ(heard[0].atMs, 30);
    EXPECT_EQ(heard[1].line, "cd");
    EXPECT_EQ(heard[1].atMs, 60);
    EXPECT_EQ(heard[2].line, "e");
    EXPECT_EQ(heard[2].atMs, 60);
}

TEST_F(CommandWireTest, ClearDropsLinesInFlightButAHangUpOnlyTheHalfLine)
{
    knobs.paceCharsPerSecond = 100;
    wire.feed("one\rtw");
    wire.dropPartialLine();
    wire.feed("o\r");
    fake.clock.advance(1000);
    ASSERT_EQ(heard.size(), 2);
    EXPECT_EQ(heard[0].line, "one");
    EXPECT_EQ(heard[1].line, "o") << "the half line of a host that went away is not part of the next command";

    wire.feed("lost\r");
    wire.clear();
    fake.clock.advance(1000);
    EXPECT_EQ(heard.size(), 2);
    knobs.paceCharsPerSecond = 0;
    wire.feed("next\r");
    ASSERT_EQ(heard.size(), 3);
    EXPECT_EQ(heard[2].line, "next");
}

} // namespace
