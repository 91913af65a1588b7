#include "procedures/KvAmplifier.h"

#include "ScriptedLink.h"
#include "procedures/KvCalculations.h"

#include <gtest/gtest.h>

namespace {

using namespace KvCalculations;

TEST(KvZeroFactor, FloorOfFactorMinusErrorScaledByModeDivisor)
{
    const struct
    {
        double vn, vm, z;
        bool ac;
        Check check;
        double factor;
    } cases[] = {
        {1000, 1000.5, 20000, false, Check::Ok, 30000},
        {1000, 1000.5, 0, true, Check::Ok, 13157},
        {1000, 999.5, 0, true, Check::Ok, -13158},
        {1000, 999.9, 0, false, Check::Ok, -2000},
        {1000, 500, 0, false, Check::Ok, -10000000},
        {1000, 2000, 0, false, Check::Ok, 20000000},
        {1000, 499.9, 0, false, Check::MeasuredOutOfRange, 0},
        {1000, 2000.1, 0, false, Check::MeasuredOutOfRange, 0},
        {999.999, 1000, 0, false, Check::NominalMustBe1000, 0},
        {1000, 1000, 10000000, false, Check::Ok, 10000000},
        {1000, 1000, -10000000.5, false, Check::FactorOutOfRange, 0},
        // The first failed check decides.
        {6000, 100, 1e9, false, Check::NominalMustBe1000, 0},
        {1000, 100, 1e9, false, Check::MeasuredOutOfRange, 0},
    };
    for (const auto &c : cases) {
        const Result r = zeroFactor(c.vn, c.vm, c.z, c.ac);
        EXPECT_EQ(r.check, c.check) << c.vn << " " << c.vm << " " << c.z;
        if (c.check == Check::Ok) {
            EXPECT_EQ(r.factor, c.factor) << c.vn << " " << c.vm << " " << c.z;
        }
    }
}

TEST(KvFullScaleFactor, FloorOfNominalTimesFactorOverMeasured)
{
    const struct
    {
        double vn, vm, f;
        Check check;
        double factor;
    } cases[] = {
        {10000, 10010, 500000000, Check::Ok, 499500499},
        {1500, 1500, 100000000, Check::Ok, 100000000},
        {10000, 11000, 900000000, Check::Ok, 818181818},
        {1499, 1500, 500000000, Check::NominalOutOfRange, 0},
        {10001, 10000, 500000000, Check::NominalOutOfRange, 0},
        {6000, 1499.9, 500000000, Check::MeasuredOutOfRange, 0},
        {6000, 11000.1, 500000000, Check::MeasuredOutOfRange, 0},
        {6000, 6000, 99999999, Check::FactorOutOfRange, 0},
        {6000, 6000, 900000001, Check::FactorOutOfRange, 0},
    };
    for (const auto &c : cases) {
        const Result r = fullScaleFactor(c.vn, c.vm, c.f);
        EXPECT_EQ(r.check, c.check) << c.vn << " " << c.vm << " " << c.f;
        if (c.check == Check::Ok) {
            EXPECT_EQ(r.factor, c.factor) << c.vn << " " << c.vm << " " << c.f;
        }
    }
}

class KvAmplifierTest : public ::testing::Test
{
protected:
    KvAmplifierTest() { s.replies.insert("CAL:PRINT", "500000000\rnot a factor\r20000\r5\r*0\r"); }

    ScriptedLink s;
    KvAmplifier kv{s.channel(), s.prompts};
};

TEST_F(KvAmplifierTest, PresenceCheckOutcomes)
{
    const struct
    {
        const char *reply;
        bool staysOpen;
        const char *message;
    } cases[] = {
        {"*0\r", true, nullptr},
        {"ok *0\r", true, nullptr},
        {"*2\r", false, "kV Amplifier option not installed"},
        {"TIMEOUT", false, "No reply from calibrator"},
        {"", false, "No reply from calibrator"},
        {"*9\r", false, "No reply from calibrator"},
    };
    for (const auto &c : cases) {
        s.dvm->sent.clear();
        s.prompts.shown.clear();
        s.replies.insert("D0", QString::fromLatin1(c.reply));
        kv.load();
        EXPECT_EQ(kv.activate(), c.staysOpen) << c.reply;
        ASSERT_FALSE(s.commands().isEmpty());
        EXPECT_EQ(s.commands().first(), "D0");
        EXPECT_EQ(s.dvm->sent.first().timeout, 10);
        if (c.message) {
            EXPECT_EQ(s.commands().size(), 1) << c.reply;
            ASSERT_EQ(s.prompts.shown.size(), 1);
            EXPECT_EQ(s.prompts.shown[0].text, c.message);
            EXPECT_EQ(s.prompts.shown[0].title, "kV Amplifier Setup");
            EXPECT_EQ(s.prompts.shown[0].icon, Prompts::Icon::Warning);
        } else {
            EXPECT_EQ(s.commands(), QStringList({"D0", "S1", "r6", "CAL:PRINT", "O0"}));
            EXPECT_TRUE(s.prompts.shown.isEmpty());
        }
    }
}

TEST_F(KvAmplifierTest, PresenceCheckRunsOncePerLoading)
{
    kv.load();
    EXPECT_TRUE(kv.activate());
    s.dvm->sent.clear();
    EXPECT_TRUE(kv.activate());
    EXPECT_TRUE(s.commands().isEmpty());
    kv.load();
    kv.activate();
    EXPECT_EQ(s.commands().first(), "D0");
}

TEST_F(KvAmplifierTest, DcAndAcSetUpAndTheLateFrequencyBox)
{
    kv.chooseDc();
    EXPECT_EQ(s.commands(), QStringList({"S1", "r6", "CAL:PRINT", "O0"}));
    EXPECT_FALSE(kv.frequencyShown());
    EXPECT_EQ(kv.factorText(0), "500000000");
    EXPECT_EQ(kv.factorText(1), "20000") << "line 1 is never shown";

    s.dvm->sent.clear();
    const qint64 before = s.fake.clock.nowMs();
    kv.chooseAc();
    EXPECT_GE(s.fake.clock.nowMs() - before, 300);
    EXPECT_EQ(s.commands(), QStringList({"S1", "r26", "CAL:PRINT", "O0"})) << "coming from DC: no frequency";
    EXPECT_TRUE(kv.frequencyShown());
    EXPECT_EQ(kv.frequencyText(), "50");

    s.dvm->sent.clear();
    kv.chooseAc();
    EXPECT_EQ(s.commands(), QStringList({"S1", "r26", "CAL:PRINT", "O0", "F50"}));
}

TEST_F(KvAmplifierTest, NominalPointsFollowTheMode)
{
    kv.chooseDc();
    s.dvm->sent.clear();
    kv.zeroPoint();
    kv.fullScalePoint();
    EXPECT_EQ(s.commands(), QStringList({"O1000", "O10000"}));
    kv.chooseAc();
    s.dvm->sent.clear();
    kv.fullScalePoint();
    kv.setFrequencyText(" 400 ");
    kv.setOutput();
    EXPECT_EQ(s.commands(), QStringList({"O6000", "F50", "O6000", "F400"}));
}

TEST_F(KvAmplifierTest, ZeroCalculationWritesSendsAndEmptiesTheMeasurement)
{
    kv.chooseDc();
    s.dvm->sent.clear();
    kv.setVoltageText("1000.0");
    kv.setMeasuredText("1000.5");
    kv.calculateZero();
    EXPECT_EQ(kv.factorText(1), "30000");
    EXPECT_EQ(kv.measuredText(), "");
    EXPECT_EQ(s.commands(), QStringList({"a1", "Z30000"}));
}

TEST_F(KvAmplifierTest, FailedChecksShowTheirMessageAndChangeNothing)
{
    kv.chooseDc();
    s.dvm->sent.clear();
    kv.setVoltageText("999.999");
    kv.setMeasuredText("1000");
    kv.calculateZero();
    kv.setVoltageText("1499");
    kv.setMeasuredText("1500");
    kv.calculateFullScale();
    kv.setVoltageText("6000");
    kv.setMeasuredText("12000");
    kv.calculateFullScale();
    kv.setFactorText(0, "1");
    kv.setMeasuredText("6000");
    kv.calculateFullScale();
    EXPECT_EQ(s.prompts.texts(),
              QStringList({"Nominal Voltage must be 1000V", "Nominal Voltage out of range",
                           "Measured Voltage out of range", "Existing calibration Factor out of range"}));
    EXPECT_EQ(s.prompts.shown[2].title, "Calibration Calculation");
    EXPECT_EQ(s.prompts.shown[2].icon, Prompts::Icon::Information);
    EXPECT_EQ(kv.factorText(1), "20000");
    EXPECT_EQ(kv.measuredText(), "6000");
    EXPECT_TRUE(s.commands().isEmpty());
}

} // namespace
