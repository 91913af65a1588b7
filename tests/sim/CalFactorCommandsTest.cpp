#include "fixtures/FakeClock.h"
#include "sim/RangeLayout.h"
#include "sim/VirtualCalibrator.h"

#include <gtest/gtest.h>

namespace {

class CalFactorCommandsTest : public ::testing::Test
{
protected:
    QByteArray ask(const QByteArray &line) { return sim.handleLine(line); }

    ScopedFakeClock fake;
    VirtualCalibrator sim;
};

TEST_F(CalFactorCommandsTest, SetCalOutsideSetupModeNeedsAPasswordAndChangesNothing)
{
    const QList<qint32> before = sim.memory().factors(1);
    EXPECT_EQ(ask("CALIBRATION:SETCAL 0,1,5"), "*7\r\n");
    EXPECT_EQ(sim.memory().factors(1), before);

    // Leaving setup mode closes the door again.
    ASSERT_EQ(ask("SYSTEM:PASSWORD 5820316"), "*0\r\n");
    ASSERT_EQ(ask("CAL:PASSWORD 0"), "*0\r\n");
    EXPECT_EQ(ask("CALIBRATION:SETCAL 0,1,5"), "*7\r\n");
}

TEST_F(CalFactorCommandsTest, SetCalInSetupModeAcceptsValidFactorsAndRejectsTheRest)
{
    ASSERT_EQ(RangeLayout::factorCount(1), 4);
    ASSERT_EQ(RangeLayout::factorCount(21), 29);
    ASSERT_FALSE(RangeLayout::hasRange(7));
    struct Case
    {
        QByteArray argument;
        QByteArray reply;
    };
    const Case cases[] = {
        {"0,1,-12", "*0"},
        {"3,1,2147483647", "*0"},
        {"2,1,-2147483648", "*0"},
        {"28,21,1500", "*0"},
        {"4,1,5", "*9"},            // range 1 has factors 0 to 3 only
        {"29,21,5", "*9"},          // one past the AC range's last frequency point
        {"62,21,5", "*9"},          // beyond 0-61 on any range
        {"0,7,5", "*9"},            // no range 7
        {"0,150,5", "*9"},
        {"0,0,5", "*9"},
        {"0,1,5.5", "*9"},
        {"0,1,2147483648", "*9"},
        {"0,1,abc", "*9"},
        {"0,1", "*9"},
        {"-1,1,5", "*9"},
        {"0,1,5,6", "*9"},
    };
    ASSERT_EQ(ask("SYSTEM:PASSWORD 5820316"), "*0\r\n");
    for (const Case &c : cases)
        EXPECT_EQ(ask("CALIBRATION:SETCAL " + c.argument), c.reply + "\r\n") << c.argument.constData();
    EXPECT_EQ(sim.memory().factors(1), QList<qint32>({-12, sim.memory().factors(1)[1], -2147483648, 2147483647}));
    EXPECT_EQ(sim.memory().factors(21)[28], 1500);
    EXPECT_EQ(ask("CAL:PRINT 001").left(5), "-12\r\n");
}

TEST_F(CalFactorCommandsTest, BackupAndRestoreNeedTheCalibratePasswordAndCopyWholeSets)
{
    ASSERT_EQ(ask("SYSTEM:PASSWORD 5820316"), "*0\r\n");
    EXPECT_EQ(ask("CB"), "*7\r\n");
    EXPECT_EQ(ask("CR"), "*7\r\n");

    ASSERT_EQ(ask("CALIBRATE:PASSWORD 7715"), "*0\r\n");
    ASSERT_EQ(ask("CALIBRATION:SETCAL 0,2,111"), "*0\r\n");
    EXPECT_NE(sim.memory().backupFactors(2)[0], 111);
    EXPECT_EQ(ask("CB"), "*0\r\n");
    EXPECT_EQ(sim.memory().backupFactors(2)[0], 111);

    ASSERT_EQ(ask("CALIBRATION:SETCAL 0,2,222"), "*0\r\n");
    EXPECT_EQ(ask("CR"), "*0\r\n");
    EXPECT_EQ(sim.memory().factors(2)[0], 111);
}

TEST_F(CalFactorCommandsTest, ClearSetsEveryActiveFactorToZeroInSetupModeOnly)
{
    const QList<qint32> backup = sim.memory().backupFactors(21);
    EXPECT_EQ(ask("CC"), "*7\r\n");
    EXPECT_NE(sim.memory().factors(21), QList<qint32>(29, 0));

    ASSERT_EQ(ask("SYSTEM:PASSWORD 5820316"), "*0\r\n");
    EXPECT_EQ(ask("CC"), "*0\r\n");
    for (int range = RangeLayout::kFirstRange; range <= RangeLayout::kLastRange; ++range)
        EXPECT_EQ(sim.memory().factors(range), QList<qint32>(RangeLayout::factorCount(range), 0)) << range;
    EXPECT_EQ(sim.memory().backupFactors(21), backup);
}

} // namespace
