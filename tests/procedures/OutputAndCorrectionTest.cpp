#include "ScriptedLink.h"
#include "procedures/CalibratorOutput.h"
#include "procedures/DiagnosticCommands.h"
#include "procedures/LatchControl.h"
#include "procedures/OutputCorrection.h"

#include <gtest/gtest.h>

namespace {

TEST(LatchControl, DataFromTheEightBitBoxes)
{
    std::array<bool, 8> bits{};
    EXPECT_EQ(LatchControl::dataFromBits(bits), 0);
    bits[0] = bits[7] = true;
    EXPECT_EQ(LatchControl::dataFromBits(bits), 129);
    bits.fill(true);
    EXPECT_EQ(LatchControl::dataFromBits(bits), 255);
    bits.fill(false);
    bits[3] = true;
    EXPECT_EQ(LatchControl::dataFromBits(bits), 8);
}

TEST(LatchControl, DataIsCheckedFirstThenTheNumberForItsKind)
{
    using LatchControl::Kind;
    const struct
    {
        Kind kind;
        const char *number;
        const char *data;
        const char *command;
        const char *error;
    } cases[] = {
        {Kind::Main, "3", "255", "d_setlatch 3,255", nullptr},
        {Kind::Main, "15", "0", "d_setlatch 15,0", nullptr},
        {Kind::Main, "0", "12a", nullptr,
         "Latch Data is not a whole number: \"12a\". Type a whole number such as 0 or 255."},
        {Kind::Main, "3", "300", nullptr, "Latch Data 0-255"},
        {Kind::Main, "16", "300", nullptr, "Latch Data 0-255"},
        {Kind::Main, "3", "-1", nullptr, "Latch Data 0-255"},
        {Kind::Main, "16", "1", nullptr, "Latch 0-15"},
        {Kind::Main, "-1", "1", nullptr, "Latch 0-15"},
        {Kind::Scope, "7", "255", "d_scopelatch 7,255", nullptr},
        {Kind::Scope, "8", "1", nullptr, "Latch 0-7"},
        // A figure that is not a whole number is never rounded to one and sent.
        {Kind::Scope, "7", "255.4", nullptr,
         "Latch Data is not a whole number: \"255.4\". Type a whole number such as 0 or 255."},
        {Kind::Scope, "2.5", "1", nullptr,
         "Latch Number is not a whole number: \"2.5\". Type a whole number such as 0 or 255."},
        {Kind::Main, "", "", nullptr, "Latch Data is not a whole number: \"\". Type a whole number such as 0 or 255."},
    };
    for (const auto &c : cases) {
        const LatchControl::Request r = LatchControl::request(c.kind, c.number, c.data);
        EXPECT_EQ(r.command, c.command ? QString::fromLatin1(c.command) : QString()) << c.number << " " << c.data;
        EXPECT_EQ(r.error, c.error ? QString::fromLatin1(c.error) : QString()) << c.number << " " << c.data;
    }
    EXPECT_EQ(LatchControl::latchCount(Kind::Main), 16);
    EXPECT_EQ(LatchControl::latchCount(Kind::Scope), 8);
}

TEST(DiagnosticCommands, PrefixAndTheValueInGeneralForm)
{
    EXPECT_EQ(DiagnosticCommands::command(3, 1000), "d_setdds 1000");
    EXPECT_EQ(DiagnosticCommands::command(3, 1.5e3), "d_setdds 1500");
    EXPECT_EQ(DiagnosticCommands::command(0, 0), "d_lowbits 0");
    EXPECT_EQ(DiagnosticCommands::command(8, -2.25), "d_vco2 -2.25");
    EXPECT_EQ(DiagnosticCommands::command(9, 1), "");
}

TEST(OutputCorrection, FactorsAreReadLineZeroEachAndWrittenAsTypedInOrder)
{
    ScriptedLink s;
    OutputCorrection correction(s.channel(), s.prompts);
    s.replies.insert("AC_HF_FACTOR ?", "1.0023\r*0\r");
    s.replies.insert("AC_LF_FACTOR ?", "TIMEOUT");
    s.replies.insert("AC_LIN_FACTOR ?", "*9\r");
    const std::array<QString, 3> read = correction.readFactors({"a", "b", "c"});
    EXPECT_EQ(read[0], "1.0023");
    EXPECT_EQ(read[1], "TIMEOUT");
    EXPECT_EQ(read[2], "*9");
    for (const ScriptedDVM::Sent &sent : s.dvm->sent) {
        EXPECT_TRUE(sent.waitForAck);
        EXPECT_EQ(sent.timeout, 5);
    }

    s.dvm->sent.clear();
    s.replies.insert("AC_LF_FACTOR 1.01", "*5\r");
    EXPECT_FALSE(correction.writeFactors({"0.99 ", " 1.01", "1.2e0"}));
    // Read before and after for the change journal; the three go between.
    EXPECT_EQ(s.commands().mid(3, 3), QStringList({"AC_HF_FACTOR 0.99", "AC_LF_FACTOR 1.01", "AC_LIN_FACTOR 1.2e0"}));
    // The script answers the reading after with what it held, so the two taken are not confirmed.
    EXPECT_EQ(correction.status(), "AC LF Factor refused: *5: the value is outside what the calibrator takes; 2 read "
                                   "back otherwise than sent");
    s.replies.remove("AC_LF_FACTOR 1.01");
    for (const char *command : {"AC_HF_FACTOR ?", "AC_LF_FACTOR ?", "AC_LIN_FACTOR ?"})
        s.replies.insert(command, "1\r*0\r");
    correction.writeFactors({"1", "1", "1"});
    EXPECT_EQ(correction.status(), "Correction factors set");
}

TEST(OutputCorrection, WithoutAnInstrumentObjectTheFailureIsReported)
{
    ScriptedLink s;
    s.session.setDvm(nullptr);
    OutputCorrection correction(s.channel(), s.prompts);
    const std::array<QString, 3> read = correction.readFactors({"a", "b", "c"});
    EXPECT_EQ(read[0], "a");
    ASSERT_EQ(s.prompts.shown.size(), 1);
    EXPECT_TRUE(s.prompts.shown[0].text.startsWith("Error reading "));
}

TEST(OutputCorrection, DiagnosticsAndLatchesGoWithoutWaiting)
{
    ScriptedLink s;
    OutputCorrection correction(s.channel(), s.prompts);
    correction.sendDiagnostic(3, "1000");
    ASSERT_EQ(s.dvm->sent.size(), 1);
    EXPECT_FALSE(s.dvm->sent[0].waitForAck);
    EXPECT_EQ(s.dvm->sent[0].timeout, 10);

    // The latch write is refused until the warning was answered Yes.
    correction.setLatch("3", "255");
    EXPECT_EQ(s.dvm->sent.size(), 1);
    s.prompts.answers.enqueue(Prompts::Answer::No);
    EXPECT_FALSE(correction.enableLatchWrite());
    EXPECT_EQ(s.prompts.shown.last().text, "Incorrect latch settings may damage the calibrator. Continue?");
    EXPECT_EQ(s.prompts.shown.last().title, "Warning");
    EXPECT_EQ(s.prompts.shown.last().buttons, Prompts::Buttons::YesNo);
    EXPECT_EQ(s.prompts.shown.last().defaultAnswer, Prompts::Answer::No);
    s.prompts.answers.enqueue(Prompts::Answer::Yes);
    EXPECT_TRUE(correction.enableLatchWrite());
    EXPECT_TRUE(correction.latchWriteEnabled());

    correction.setLatch("3", "300");
    EXPECT_EQ(s.prompts.shown.last().text, "Latch Data 0-255");
    EXPECT_EQ(s.dvm->sent.size(), 1);
    correction.setLatchKind(LatchControl::Kind::Scope);
    correction.setLatch("7", "129");
    ASSERT_EQ(s.dvm->sent.size(), 2);
    EXPECT_EQ(s.dvm->sent[1].command, "d_scopelatch 7,129");
    EXPECT_FALSE(s.dvm->sent[1].waitForAck);
}

TEST(CalibratorOutput, OnlyASingleSuccessLineLetsTheDisplayBeRead)
{
    const struct
    {
        const char *reply;
        bool taken;
    } cases[] = {{"*0\r", true},     {"  *0\r  ", true}, {"*0\rmore\r", false}, {"*5\r", false},
                 {"TIMEOUT", false}, {"*0", false},      {"", false},           {"*00\r", false}};
    for (const auto &c : cases) {
        ScriptedLink s;
        s.replies.insert("o10V", QString::fromLatin1(c.reply));
        s.replies.insert("X", "  10.0000 V STBY\r*0\r");
        CalibratorOutput output(s.channel());
        const std::optional<QString> display = output.setOutput("10V").display;
        EXPECT_EQ(display.has_value(), c.taken) << c.reply;
        if (c.taken) {
            EXPECT_EQ(*display, "  10.0000 V STBY\r*0\r") << "the whole reply, unchanged";
            EXPECT_EQ(s.commands(), QStringList({"o10V", "X"}));
        } else {
            EXPECT_EQ(s.commands(), QStringList({"o10V"})) << c.reply;
        }
        EXPECT_EQ(s.dvm->sent[0].timeout, 3);
    }
}

TEST(CalibratorOutput, ASettingIsANumberInFullAndAUnitTheCalibratorMakes)
{
    for (const char *good : {"10V", " 1.5 mA ", "-2.5e-3A", "100kOhm", "50Hz", "1uF", "10R"})
        EXPECT_TRUE(CalibratorOutput::isSetting(good)) << good;
    for (const char *bad : {"", "10", "banana", "-3oV", "1,5V", "10 Volt", "1V\rS0", "1xV", "V", "mA"})
        EXPECT_FALSE(CalibratorOutput::isSetting(bad)) << bad;

    ScriptedLink s;
    CalibratorOutput output(s.channel());
    EXPECT_FALSE(output.setOutput("1V\rS0").display);
    output.outputOn();
    output.standby();
    EXPECT_EQ(s.commands(), QStringList({"S0", "S1"}));
    EXPECT_EQ(output.status(), "Output in standby");
}

} // namespace
