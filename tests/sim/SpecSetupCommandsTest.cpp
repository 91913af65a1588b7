#include "fixtures/FakeClock.h"
#include "sim/InstrumentMemory.h"
#include "sim/VirtualCalibrator.h"

#include <gtest/gtest.h>

namespace {

class SpecSetupCommandsTest : public ::testing::Test
{
protected:
    QByteArray ask(const QByteArray &line) { return sim.handleLine(line); }
    void enterSetupMode() { ASSERT_EQ(ask("SYSTEM:PASSWORD 5820316"), "*0\r\n"); }
    void enterCalibrationMode() { ASSERT_EQ(ask("CALIBRATE:PASSWORD 7715"), "*0\r\n"); }
    SpecificationTable &specs() { return sim.memory().specifications(); }

    ScopedFakeClock fake;
    VirtualCalibrator sim;
};

TEST_F(SpecSetupCommandsTest, TheTableListsNumberedRowsWithTheInstrumentsSignsThenTheStatus)
{
    const QList<QByteArray> lines = ask("ps").split('\n');
    ASSERT_GE(lines.size(), 3);
    ASSERT_EQ(lines.size(), specs().rowCount() + 2); // the status line and the empty rest after it
    EXPECT_EQ(lines[specs().rowCount()], "*0\r");
    for (int row = 1; row <= specs().rowCount(); ++row) {
        const QByteArray &line = lines[row - 1];
        EXPECT_TRUE(line.startsWith('R' + QByteArray::number(row).rightJustified(3, '0') + ' ')) << line.constData();
        EXPECT_EQ(line.count(','), 14) << line.constData();
        EXPECT_FALSE(line.contains('*'));
    }
    // The micro sign and the ohm sign in the instrument's own character set.
    EXPECT_TRUE(ask("ps").contains("200\xe4" "A DC,"));
    EXPECT_TRUE(ask("ps").contains(" 1k\xf4,"));
}

TEST_F(SpecSetupCommandsTest, FiguresArePrintedWithThreeDigitsBeforeThePointAndKeepEveryDecimal)
{
    EXPECT_EQ(SpecificationTable::figureText(5), "005.00");
    EXPECT_EQ(SpecificationTable::figureText(1500.5), "1500.50");
    EXPECT_EQ(SpecificationTable::figureText(0.125), "000.125");
    EXPECT_EQ(SpecificationTable::figureText(-2.5), "-002.50");
}

TEST_F(SpecSetupCommandsTest, WritingAFigureNeedsSetupModeFromEitherPassword)
{
    EXPECT_EQ(ask("Ws3,0,2.5"), "*6\r\n");
    EXPECT_NE(specs().row(3).figures[0], 2.5);

    enterCalibrationMode();
    EXPECT_EQ(ask("Ws3,0,2.5"), "*0\r\n");
    EXPECT_EQ(specs().row(3).figures[0], 2.5);
    EXPECT_EQ(ask("Ws3,13,1e3"), "*0\r\n");
    EXPECT_EQ(specs().row(3).figures[13], 1000.0);

    // No such row or figure; not a figure at all.
    EXPECT_EQ(ask("Ws" + QByteArray::number(specs().rowCount() + 1) + ",0,1"), "*5\r\n");
    EXPECT_EQ(ask("Ws3,14,1"), "*5\r\n");
    EXPECT_EQ(ask("Ws3,0,abc"), "*9\r\n");
    EXPECT_EQ(ask("Ws3,0"), "*9\r\n");
    EXPECT_EQ(ask("Ws-1,0,1"), "*9\r\n");
}

TEST_F(SpecSetupCommandsTest, ClearingTheTableNeedsTheSetupPasswordAndKeepsTheLabels)
{
    const QByteArray label = specs().row(1).label;
    enterCalibrationMode();
    EXPECT_EQ(ask("WS"), "*6\r\n");
    enterSetupMode();
    EXPECT_EQ(ask("WS"), "*0\r\n");
    for (int row = 1; row <= specs().rowCount(); ++row) {
        for (double figure : specs().row(row).figures)
            ASSERT_EQ(figure, 0.0) << row;
    }
    EXPECT_EQ(specs().row(1).label, label);
}

TEST_F(SpecSetupCommandsTest, TheVersionRecordIsKeptUnderItsNumber)
{
    EXPECT_EQ(ask("&05Spec ___ 08/12/26"), "*6\r\n");
    enterCalibrationMode();
    EXPECT_EQ(ask("&05Spec ___ 08/12/26"), "*0\r\n");
    EXPECT_EQ(sim.memory().record(5), "Spec ___ 08/12/26");
    EXPECT_EQ(ask("&5x"), "*9\r\n");
}

TEST_F(SpecSetupCommandsTest, TheClockTakesDayMonthYearHourMinute)
{
    EXPECT_EQ(ask("A0101300905"), "*6\r\n");
    EXPECT_EQ(ask("ABC"), "*9\r\n") << "an unknown command that starts with A stays unknown";
    enterSetupMode();
    EXPECT_EQ(ask("A0101300905"), "*0\r\n");
    const QDateTime now = fake.clock.currentDateTime();
    EXPECT_EQ(sim.memory().clockAt(now), QDateTime(QDate(2030, 1, 1), QTime(9, 5)));
    EXPECT_EQ(ask("A3102300905"), "*5\r\n"); // 31 February
    EXPECT_EQ(ask("A010130090"), "*9\r\n");
    EXPECT_EQ(ask("A01013009o5"), "*9\r\n");
}

TEST_F(SpecSetupCommandsTest, TheUserPasswordIsOneToNineDigits)
{
    EXPECT_EQ(ask("K1234"), "*6\r\n");
    enterSetupMode();
    EXPECT_EQ(ask("K123456789"), "*0\r\n");
    EXPECT_EQ(sim.memory().userPassword(), "123456789");
    for (const QByteArray &bad : {QByteArray("K1234567890"), QByteArray("K12a"), QByteArray("K"), QByteArray("K-3")})
        EXPECT_EQ(ask(bad), "*9\r\n") << bad.constData();
    EXPECT_EQ(sim.memory().userPassword(), "123456789");
}

TEST_F(SpecSetupCommandsTest, EraseSaysNothingHearsNothingForAWhileAndClearsTheSettings)
{
    EXPECT_EQ(ask("WXerase"), "*6\r\n");
    enterSetupMode();
    ASSERT_EQ(ask("K42"), "*0\r\n");
    ASSERT_EQ(ask("&05Spec ABC 01/01/30"), "*0\r\n");
    sim.memory().setEraseMs(60000);

    EXPECT_TRUE(ask("WXerase").isEmpty());
    EXPECT_TRUE(ask("*IDN?").isEmpty());
    fake.clock.advance(59000);
    EXPECT_TRUE(ask("ps").isEmpty());
    fake.clock.advance(1000);
    EXPECT_FALSE(ask("*IDN?").isEmpty());

    EXPECT_TRUE(sim.memory().userPassword().isEmpty());
    EXPECT_TRUE(sim.memory().record(5).isEmpty());
    EXPECT_EQ(specs().row(1).figures[0], 0.0);
    EXPECT_EQ(sim.memory().factors(1).value(0), 0);
    EXPECT_EQ(sim.memory().backupFactors(1).value(0), 0);
    // It comes back out of setup mode.
    EXPECT_EQ(ask("K1"), "*6\r\n");
}

} // namespace
