#include "procedures/PowerCalibration.h"

#include "ScriptedLink.h"
#include "procedures/PowerRanges.h"

#include <gtest/gtest.h>

namespace {

using Frequency = PowerCalibration::Frequency;

TEST(PowerFullScaleFactor, RejectsMeasurementsOutsideHalfToOneAndAHalfNominal)
{
    const int range100mA = 3;
    EXPECT_FALSE(powerFullScaleFactor(range100mA, 20000, 50).has_value());
    EXPECT_TRUE(powerFullScaleFactor(range100mA, 20000, 50.0001).has_value());
    EXPECT_TRUE(powerFullScaleFactor(range100mA, 20000, 149.999).has_value());
    EXPECT_FALSE(powerFullScaleFactor(range100mA, 20000, 150).has_value());
    EXPECT_FALSE(powerFullScaleFactor(range100mA, 20000, 0).has_value());
    EXPECT_FALSE(powerFullScaleFactor(range100mA, 20000, -100).has_value());
}

TEST(PowerFullScaleFactor, ScalesByNominalOverMeasuredRoundingHalfToEven)
{
    EXPECT_EQ(powerFullScaleFactor(1, 20000, 1.001), 19980.0); // 19980.02
    EXPECT_EQ(powerFullScaleFactor(1, 12344.5, 1), 12344.0);
    EXPECT_EQ(powerFullScaleFactor(1, 12345.5, 1), 12346.0);
    // The 30 A range is trimmed at 20 A.
    EXPECT_EQ(powerFullScaleFactor(5, 20000, 25), 16000.0);
    EXPECT_FALSE(powerFullScaleFactor(5, 20000, 30).has_value());
}

class PowerCalibrationTest : public ::testing::Test
{
protected:
    ScriptedLink s;
    PowerCalibration power{s.channel(), s.prompts};
};

TEST_F(PowerCalibrationTest, FreeFrequencyIsSentOnlyBetweenFortyAndFourHundredHertz)
{
    power.setFrequency(Frequency::FreeEntry);
    // Outside 40 to 400 Hz the status line says why nothing went; a text that is not a number
    // in full is refused with a message naming the box; an empty box sends nothing silently.
    const struct
    {
        const char *text;
        const char *sent;
        bool refused;
    } cases[] = {{"60", "F60", false},   {"45.5", "F45.5", false}, {"40", "F40", false},
                 {"400", "F400", false}, {"39.9", nullptr, false}, {"401", nullptr, false},
                 {"", nullptr, false},   {"abc", nullptr, true},   {"45.5 Hz", nullptr, true}};
    for (const auto &c : cases) {
        s.dvm->sent.clear();
        s.prompts.shown.clear();
        power.setFrequencyText(QString::fromLatin1(c.text));
        const RefusedBox refused = power.sendFrequency();
        EXPECT_EQ(s.commands(), c.sent ? QStringList({c.sent}) : QStringList()) << c.text;
        EXPECT_EQ(refused.has_value(), c.refused) << c.text;
        EXPECT_EQ(s.prompts.shown.size(), c.refused ? 1 : 0) << c.text;
    }
    power.setFrequencyText("401");
    power.sendFrequency();
    EXPECT_EQ(power.status(), "Frequency 401 Hz not sent: the power functions make 40 to 400 Hz");
    // The Enter key sends the typed frequency even when DC is selected.
    power.setFrequency(Frequency::Dc);
    power.setFrequencyText("60");
    s.dvm->sent.clear();
    power.sendFrequency();
    EXPECT_EQ(s.commands(), QStringList({"F60"}));
}

TEST_F(PowerCalibrationTest, AFourLineFactorReplyFillsOnlyTheFirstThreeBoxes)
{
    for (int i = 0; i < 4; ++i)
        power.setFactorText(i, "old");
    s.replies.insert("CAL:PRINT", "1\r2\r3\r4\r");
    power.readFactors();
    EXPECT_EQ(power.factorText(0), "1");
    EXPECT_EQ(power.factorText(2), "3");
    EXPECT_EQ(power.factorText(3), "old");
    s.replies.insert("CAL:PRINT", "TIMEOUT");
    power.readFactors();
    EXPECT_EQ(power.factorText(0), "1");
}

TEST_F(PowerCalibrationTest, CalculationWritesTheRoundedFactorOrRefusesWithoutChange)
{
    power.setRangeIndex(1);
    power.setFactorText(0, "20000");
    power.setMeasuredText("1.001");
    power.calculateFullScale();
    EXPECT_EQ(power.factorText(0), "19980");
    EXPECT_TRUE(s.commands().isEmpty()) << "the engineer sends it with Set";

    power.setMeasuredText("0");
    power.calculateFullScale();
    EXPECT_EQ(power.factorText(0), "19980");
    ASSERT_EQ(s.prompts.shown.size(), 1);
    EXPECT_EQ(s.prompts.shown[0].text, "Measured value out of range");
    EXPECT_EQ(s.prompts.shown[0].title, "Power Calibration");
    EXPECT_EQ(s.prompts.shown[0].icon, Prompts::Icon::Information);
}

TEST_F(PowerCalibrationTest, EachFactorGoesAfterA1InTheGeneralNumberForm)
{
    const char *expected[] = {"P19980", "Z-12", "N1500", "MISCCAL 0.5"};
    const char *typed[] = {"19980", " -12 ", "1.5e3", "0.50"};
    for (int i = 0; i < 4; ++i) {
        s.dvm->sent.clear();
        power.setFactorText(i, QString::fromLatin1(typed[i]));
        power.sendFactor(i);
        EXPECT_EQ(s.commands(), QStringList({"a1", expected[i]}));
        EXPECT_EQ(s.dvm->sent[1].timeout, 3);
    }
    EXPECT_TRUE(s.prompts.shown.isEmpty());
}

TEST_F(PowerCalibrationTest, PasswordNeededIsRetriedExactlyOnce)
{
    power.setFactorText(1, "5");
    int asked = 0;
    s.dvm->responder = [&](const QString &command) -> QString {
        if (command == "Z5")
            return ++asked == 1 ? "*7\r" : "*0\r";
        return "*0\r";
    };
    power.sendFactor(1);
    EXPECT_EQ(s.commands(), QStringList({"a1", "Z5", "a1", "Z5"}));
    EXPECT_TRUE(s.prompts.shown.isEmpty());

    // A second "*7" is judged like any other failure, and not retried again.
    s.dvm->sent.clear();
    s.dvm->responder = [](const QString &command) { return command == "Z5" ? QString("*7\r") : QString("*0\r"); };
    power.sendFactor(1);
    EXPECT_EQ(s.commands(), QStringList({"a1", "Z5", "a1", "Z5"}));
    EXPECT_EQ(s.prompts.texts(), QStringList({"Error"}));
}

} // namespace

TEST_F(PowerCalibrationTest, SettingAPointSendsEveryCommandAndSaysWhetherTheCalibratorTookThem)
{
    // Every command goes out whatever the answers; the status line names the first that was
    // not "*0", so a refused setting is no longer silent.
    const struct
    {
        bool zero;
        const char *refusedCommand;
        const char *answer;
        const char *status;
    } cases[] = {
        {true, nullptr, nullptr, "Zero point set: "},
        {false, nullptr, nullptr, "Full scale point set: "},
        {true, "o10V", "*5\r", "Set Zero refused: *5: the value is outside what the calibrator takes"},
        {false, "B5", "", "No answer to Set Full Scale: check the connection and try again"},
    };
    power.setFrequency(Frequency::Dc);
    for (const auto &c : cases) {
        s.dvm->sent.clear();
        s.dvm->responder = [&c](const QString &command) {
            return c.refusedCommand && command == QLatin1String(c.refusedCommand) ? QString::fromLatin1(c.answer)
                                                                                  : QStringLiteral("*0\r");
        };
        c.zero ? power.setZeroPoint() : power.setFullScalePoint();
        EXPECT_EQ(s.commands().size(), 3) << c.status;
        EXPECT_TRUE(power.status().startsWith(QLatin1String(c.status))) << power.status().toStdString();
    }
}
