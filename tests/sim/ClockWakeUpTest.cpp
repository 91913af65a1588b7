#include "sim/ClockWakeUp.h"

#include "fixtures/FakeClock.h"

#include <QObject>

#include <gtest/gtest.h>

namespace {

class ClockWakeUpTest : public ::testing::Test
{
protected:
    ScopedFakeClock fake;
    QObject context;
    QList<qint64> wokenAt;
    ClockWakeUp wakeUp{&context, [this] { wokenAt.append(fake.clock.nowMs()); }};
};

TEST_F(ClockWakeUpTest, WakesOnceAtTheMomentAskedAndNotAfterAReset)
{
    fake.clock.advance(100);
    wakeUp.scheduleAtUs(250000);
    EXPECT_TRUE(wakeUp.stillPending());
    fake.clock.advance(1000);
    EXPECT_EQ(wokenAt, QList<qint64>({250}));
    EXPECT_FALSE(wakeUp.stillPending());

    wakeUp.scheduleAtUs(1500000);
    const quint64 before = wakeUp.generation();
    wakeUp.reset();
    EXPECT_NE(wakeUp.generation(), before) << "a queue that called out must see it was reset";
    EXPECT_FALSE(wakeUp.stillPending());
    fake.clock.advance(1000);
    EXPECT_EQ(wokenAt.size(), 1);
}

TEST_F(ClockWakeUpTest, AWakeUpFromAClockThatWasSwappedOutIsForgotten)
{
    wakeUp.scheduleAtUs(50000);
    FakeClock next;
    setSystemClock(&next);
    const quint64 before = wakeUp.generation();
    EXPECT_FALSE(wakeUp.stillPending()) << "the old clock will never be advanced again";
    EXPECT_NE(wakeUp.generation(), before);
    // Should the old clock fire after all, the stale wake-up stays quiet.
    fake.clock.advance(100);
    EXPECT_TRUE(wokenAt.isEmpty());
    setSystemClock(&fake.clock);
}

} // namespace
