#include "ScriptedLink.h"
#include "procedures/AnswerStatus.h"
#include "procedures/CalibratorOutput.h"
#include "procedures/FigureInput.h"
#include "procedures/KvAmplifier.h"
#include "procedures/OutputCorrection.h"
#include "procedures/PowerCalibration.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using Kind = InputBox::Kind;

/// One box of a procedure window that sends a typed figure: a step run with a bad text in it.
struct BadFigure
{
    const char *name;
    /// Fills the boxes (the bad one among them), runs the step, and returns what it refused.
    std::function<RefusedBox(ScriptedLink &)> step;
    InputBox box;
    const char *message; ///< the start of the message that names the box
};

RefusedBox powerStep(ScriptedLink &s, const std::function<RefusedBox(PowerCalibration &)> &step)
{
    PowerCalibration power(s.channel(), s.prompts);
    for (int i = 0; i < PowerCalibration::kFactorBoxes; ++i)
        power.setFactorText(i, "20000");
    power.setMeasuredText("1");
    power.setRangeIndex(1);
    return step(power);
}

RefusedBox kvStep(ScriptedLink &s, bool ac, const std::function<RefusedBox(KvAmplifier &)> &step)
{
    KvAmplifier kv(s.channel(), s.prompts);
    s.replies.insert("CAL:PRINT", "500000000\r0\r100\r*0\r");
    ac ? kv.chooseAc() : kv.chooseDc();
    // Only what the step sends counts.
    s.dvm->sent.clear();
    kv.setVoltageText("1000");
    kv.setMeasuredText("1000.5");
    return step(kv);
}

RefusedBox correctionStep(ScriptedLink &s, const std::function<RefusedBox(OutputCorrection &)> &step)
{
    OutputCorrection correction(s.channel(), s.prompts);
    s.prompts.answers.enqueue(Prompts::Answer::Yes);
    correction.enableLatchWrite();
    s.prompts.shown.clear();
    return step(correction);
}

const BadFigure kBadFigures[] = {
    {"PowerZeroFactor",
     [](ScriptedLink &s) {
         return powerStep(s, [](PowerCalibration &p) {
             p.setFactorText(1, "-3o");
             return p.sendFactor(1);
         });
     },
     {Kind::Factor, 1},
     "Zero is not a number: \"-3o\". Type a number such as -3 or 0.5."},
    {"PowerFullScaleFactor",
     [](ScriptedLink &s) {
         return powerStep(s, [](PowerCalibration &p) {
             p.setFactorText(0, "1,5");
             return p.sendFactor(0);
         });
     },
     {Kind::Factor, 0},
     "Full Scale is not a number"},
    {"PowerPhaseFactor",
     [](ScriptedLink &s) {
         return powerStep(s, [](PowerCalibration &p) {
             p.setFactorText(3, "12a");
             return p.sendFactor(3);
         });
     },
     {Kind::Factor, 3},
     "Phase 400Hz is not a number"},
    {"PowerMeasuredCurrent",
     [](ScriptedLink &s) {
         return powerStep(s, [](PowerCalibration &p) {
             p.setMeasuredText("1.0x");
             return p.calculateFullScale();
         });
     },
     {Kind::Measured},
     "Measured Current is not a number"},
    {"PowerFreeFrequencyOnZeroPoint",
     [](ScriptedLink &s) {
         return powerStep(s, [](PowerCalibration &p) {
             p.setFrequency(PowerCalibration::Frequency::FreeEntry);
             p.setFrequencyText("45.5 Hz");
             return p.setZeroPoint();
         });
     },
     {Kind::Frequency},
     "Frequency is not a number"},
    {"KvVoltage",
     [](ScriptedLink &s) {
         return kvStep(s, false, [](KvAmplifier &kv) {
             kv.setVoltageText("1000V");
             return kv.setOutput();
         });
     },
     {Kind::Voltage},
     "Voltage is not a number"},
    {"KvFrequencyWithTheVoltage",
     [](ScriptedLink &s) {
         return kvStep(s, true, [](KvAmplifier &kv) {
             kv.setFrequencyText("50Hz");
             return kv.setOutput();
         });
     },
     {Kind::Frequency},
     "Frequency is not a number"},
    {"KvZeroFactor",
     [](ScriptedLink &s) {
         return kvStep(s, false, [](KvAmplifier &kv) {
             kv.setFactorText(1, "0.99x");
             return kv.sendFactor(1);
         });
     },
     {Kind::Factor, 1},
     "Zero is not a number"},
    {"KvMeasuredVoltageBeforeTheCalculatedFactorGoes",
     [](ScriptedLink &s) {
         return kvStep(s, false, [](KvAmplifier &kv) {
             kv.setMeasuredText("999.5 V");
             return kv.calculateZero();
         });
     },
     {Kind::Measured},
     "Measured Voltage is not a number"},
    {"CorrectionFactor",
     [](ScriptedLink &s) {
         return correctionStep(s, [](OutputCorrection &c) { return c.writeFactors({"1", "0.99x", "1"}); });
     },
     {Kind::Factor, 1},
     "AC LF Factor is not a number"},
    {"DiagnosticRow",
     [](ScriptedLink &s) { return correctionStep(s, [](OutputCorrection &c) { return c.sendDiagnostic(3, "1k"); }); },
     {Kind::Diagnostic, 3},
     "Set DDS Frequency is not a number"},
    {"LatchData",
     [](ScriptedLink &s) { return correctionStep(s, [](OutputCorrection &c) { return c.setLatch("3", "12a"); }); },
     {Kind::LatchData},
     "Latch Data is not a whole number"},
    {"CalibratorOutputSetting",
     [](ScriptedLink &s) {
         CalibratorOutput output(s.channel(), &s.prompts);
         return output.setOutput("banana").refused;
     },
     {Kind::Setting},
     "Output is not a number and a unit: \"banana\""},
};

class BadFigureRefused : public ::testing::TestWithParam<BadFigure>
{
};

TEST_P(BadFigureRefused, NothingIsSentAndTheMessageNamesTheBoxTheModelReturns)
{
    const BadFigure &c = GetParam();
    ScriptedLink s;
    const RefusedBox refused = c.step(s);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->kind, c.box.kind);
    EXPECT_EQ(refused->index, c.box.index);
    EXPECT_TRUE(s.commands().isEmpty()) << s.commands().join(' ').toStdString();
    ASSERT_EQ(s.prompts.shown.size(), 1);
    EXPECT_TRUE(s.prompts.shown[0].text.startsWith(QString::fromUtf8(c.message)))
        << s.prompts.shown[0].text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryBoxThatSendsAFigure, BadFigureRefused, ::testing::ValuesIn(kBadFigures),
                         [](const ::testing::TestParamInfo<BadFigure> &info) { return std::string(info.param.name); });

TEST(AnswerStatus, SaysWhatTheInstrumentMadeOfAStep)
{
    const struct
    {
        const char *reply;
        const char *status;
    } cases[] = {
        {"*0\r", "Zero factor set"},
        {"*5\r", "Zero factor refused: *5: the value is outside what the calibrator takes"},
        {" *9\r", "Zero factor refused: *9: the calibrator did not understand the command or its value"},
        {"*7\r",
         "Zero factor refused: *7: the calibrator is not open for calibration (its password or adjust "
         "mode is needed)"},
        {"*4\r", "Zero factor refused: *4: a status this program knows no meaning for"},
        {"TIMEOUT", "No answer to Zero factor: check the connection and try again"},
        {"", "No answer to Zero factor: check the connection and try again"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AnswerStatus::text("Zero factor", "Zero factor set", c.reply), c.status) << c.reply;
}

TEST(AdjustmentStatus, RefusedSetAndStoreShowInTheStatusLine)
{
    ScriptedLink s;
    PowerCalibration power(s.channel(), s.prompts);
    QStringList shown;
    QObject::connect(&power, &PowerCalibration::statusChanged, [&](const QString &text) { shown << text; });
    power.setFactorText(1, "12");
    power.sendFactor(1);
    s.replies.insert("Z12", "*5\r");
    power.sendFactor(1);
    s.replies.insert("a2", "*7\r");
    power.store();
    EXPECT_EQ(
        shown,
        QStringList({"Zero factor set to 12", "Zero factor refused: *5: the value is outside what the calibrator takes",
                     "Store refused: *7: the calibrator is not open for calibration (its password or "
                     "adjust mode is needed)"}));
}

TEST(KvHighVoltage, OnUnlessClearlyRefusedAndOffOnlyOnceConfirmed)
{
    ScriptedLink s;
    KvAmplifier kv(s.channel(), s.prompts);
    EXPECT_FALSE(kv.highVoltageOn());
    s.replies.insert("S0", "*2\r");
    kv.outputOn();
    EXPECT_FALSE(kv.highVoltageOn()) << "a refusal leaves the output off";
    s.replies.insert("S0", "TIMEOUT");
    kv.outputOn();
    EXPECT_TRUE(kv.highVoltageOn()) << "without an answer the output may be on";
    s.replies.insert("S1", "TIMEOUT");
    kv.outputOff();
    EXPECT_TRUE(kv.highVoltageOn()) << "an unconfirmed standby keeps the warning";
    s.replies.remove("S1");
    kv.outputOff();
    EXPECT_FALSE(kv.highVoltageOn());
    s.replies.remove("S0");
    kv.outputOn();
    EXPECT_TRUE(kv.highVoltageOn());
    // A range change goes through standby first.
    kv.chooseDc();
    EXPECT_FALSE(kv.highVoltageOn());
}

} // namespace
