#include "ProcedureWindowTestSupport.h"
#include "gui/procedures/Form_OutputCorrection.h"
#include "gui/procedures/Form_PowerCal.h"
#include "gui/procedures/Form_kVAmp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

namespace {

using PowerWindow = ProcedureWindowTest;

TEST_F(PowerWindow, OpeningDrivesTheFirstZeroPointAndFillsTheFactorBoxes)
{
    replies.insert("CAL:PRINT", "20000\r-12\r31\r-7\r*0\r");
    Form_PowerCal form(context, prompts);
    open(form);
    EXPECT_EQ(commands(), QStringList({"B1", "F50", "o10V", "C0.00003", "CAL:PRINT"}));
    EXPECT_EQ(text(form, "Text_Calfactor(0)"), "20000");
    EXPECT_EQ(text(form, "Text_Calfactor(3)"), "-7");
    EXPECT_TRUE(child<QRadioButton>(form, "Option_CurrentRange(0)")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(form, "Option_Frequency(1)")->isChecked());

    dvm->sent.clear();
    click(form, "Option_CurrentRange(5)");
    click(form, "Option_Frequency(0)");
    EXPECT_EQ(commands(), QStringList({"B1", "F50", "o10V", "C3", "CAL:PRINT", "B5", "o10V", "C3", "CAL:PRINT"}));
    dvm->sent.clear();
    click(form, "Command_SetFS");
    EXPECT_EQ(commands(), QStringList({"B5", "o10V", "C20"}));
}

TEST_F(PowerWindow, CalculatedFactorIsSentWithItsSetButton)
{
    replies.insert("CAL:PRINT", "20000\r0\r0\r0\r*0\r");
    Form_PowerCal form(context, prompts);
    open(form);
    click(form, "Option_CurrentRange(1)");
    type(form, "Text_MeasuredCurrent", "1.001");
    click(form, "Command1");
    EXPECT_EQ(text(form, "Text_Calfactor(0)"), "19980");
    dvm->sent.clear();
    click(form, "Command_SetCal(0)");
    type(form, "Text_Calfactor(3)", "12.5");
    click(form, "Command_SetCal(3)");
    click(form, "Command_CalStore");
    EXPECT_EQ(commands(), QStringList({"a1", "P19980", "a1", "MISCCAL 12.5", "a2"}));

    dvm->sent.clear();
    click(form, "Option_Frequency(3)");
    type(form, "Text_Frequency", "60");
    pressEnter(form, "Text_Frequency");
    EXPECT_EQ(commands().last(), "F60");
}

using KvWindow = ProcedureWindowTest;

TEST_F(KvWindow, MissingAmplifierIsReportedAndTheWindowClosesItself)
{
    replies.insert("D0", "*2\r");
    QPointer<Form_kVAmp> form = new Form_kVAmp(context, prompts);
    open(*form);
    settle();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(prompts.texts(), QStringList({"kV Amplifier option not installed"}));
    EXPECT_EQ(commands(), QStringList({"D0"}));
}

TEST_F(KvWindow, StartsInDcAndTheFrequencyBoxAppearsOnlyInAc)
{
    replies.insert("CAL:PRINT", "500000000\rx\r20000\r0\r*0\r");
    Form_kVAmp form(context, prompts);
    open(form);
    reactivate(form);
    EXPECT_EQ(commands(), QStringList({"D0", "S1", "r6", "CAL:PRINT", "O0"})) << "the check runs once";
    EXPECT_FALSE(child(form, "Text_Hz")->isVisible());
    EXPECT_FALSE(child(form, "Label_Hz")->isVisible());
    EXPECT_EQ(text(form, "Text_V"), "0");
    EXPECT_EQ(text(form, "Text_Calfactor(1)"), "20000");

    click(form, "Command2");
    EXPECT_TRUE(child(form, "Text_Hz")->isVisible());
    EXPECT_EQ(text(form, "Text_Hz"), "50");
    dvm->sent.clear();
    click(form, "Command_Z");
    type(form, "Text_MeasuredV", "999.5");
    click(form, "Command_CalcZero");
    EXPECT_EQ(commands(), QStringList({"O1000", "F50", "a1", "Z6842"}));
    EXPECT_EQ(text(form, "Text_Calfactor(1)"), "6842");
    EXPECT_EQ(text(form, "Text_MeasuredV"), "");
}

using CorrectionWindow = ProcedureWindowTest;

TEST_F(CorrectionWindow, LatchWriteIsGuardedAndBuiltFromTheBitBoxes)
{
    Form_OutputCorrection form(context, prompts);
    form.show();
    auto *combo = child<QComboBox>(form, "Combo_LatchNumber");
    EXPECT_EQ(combo->count(), 16);
    click(form, "Option_LatchType(1)");
    EXPECT_EQ(combo->count(), 8);
    EXPECT_EQ(combo->currentText(), "0");
    EXPECT_FALSE(child(form, "Command_SetLatch")->isEnabled());

    child<QCheckBox>(form, "CheckDigit(0)")->click();
    child<QCheckBox>(form, "CheckDigit(7)")->click();
    EXPECT_EQ(text(form, "Text_LatchData"), "129");

    prompts.answers.enqueue(Prompts::Answer::No);
    click(form, "CommandEnable");
    EXPECT_FALSE(child(form, "Command_SetLatch")->isEnabled());
    prompts.answers.enqueue(Prompts::Answer::Yes);
    click(form, "CommandEnable");
    ASSERT_TRUE(child(form, "Command_SetLatch")->isEnabled());
    combo->setCurrentIndex(7);
    click(form, "Command_SetLatch");
    EXPECT_EQ(commands(), QStringList({"d_scopelatch 7,129"}));

    type(form, "Text_LatchData", "300");
    click(form, "Command_SetLatch");
    EXPECT_EQ(prompts.texts().last(), "Latch Data 0-255");
    EXPECT_EQ(commands().size(), 1);
}

TEST_F(CorrectionWindow, FactorsAndDiagnostics)
{
    replies.insert("AC_HF_FACTOR ?", "1.0023\r*0\r");
    Form_OutputCorrection form(context, prompts);
    click(form, "Command_Read");
    EXPECT_EQ(text(form, "Text1"), "1.0023");
    EXPECT_EQ(text(form, "Text2"), "*0");
    dvm->sent.clear();
    type(form, "Text2", "");
    click(form, "Command_Set");
    type(form, "Text_Bits(3)", "1.5e3");
    click(form, "Command_SetBits(3)");
    click(form, "Command_SetBits(8)");
    EXPECT_EQ(commands(), QStringList({"AC_HF_FACTOR 1.0023", "AC_LF_FACTOR ", "AC_LIN_FACTOR *0", "d_setdds 1500",
                                       "d_vco2 0"}));
}

} // namespace
