#include "ProcedureWindowTestSupport.h"
#include "gui/common/BoxWidth.h"
#include "gui/procedures/Form_OutputCorrection.h"
#include "gui/procedures/Form_PowerCal.h"
#include "gui/procedures/Form_kVAmp.h"
#include "records/ChangeJournal.h"
#include "records/DataFolders.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>

namespace {

using PowerWindow = ProcedureWindowTest;

TEST_F(PowerWindow, OpeningDrivesTheFirstZeroPointAndFillsTheFactorBoxes)
{
    replies.insert("CAL:PRINT", "20000\r-12\r31\r-7\r*0\r");
    Form_PowerCal form(session, prompts);
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

TEST_F(PowerWindow, EvenAtItsSmallestEveryFigureBoxShowsANegativeFigureWhole)
{
    Form_PowerCal form(session, prompts);
    form.show();
    form.resize(form.minimumSizeHint());
    QCoreApplication::processEvents();
    for (int i = 0; i < 4; ++i) {
        auto *box = child<QLineEdit>(form, QStringLiteral("Text_Calfactor(%1)").arg(i));
        EXPECT_GE(box->width(), boxWidthFor(box, QStringLiteral("-0.000000"))) << i;
    }
    auto *measured = child<QLineEdit>(form, "Text_MeasuredCurrent");
    EXPECT_GE(measured->width(), boxWidthFor(measured, QStringLiteral("-0.000000")));
    // Wider than the figure alone: the frame and margins are counted too.
    EXPECT_GT(boxWidthFor(measured, QStringLiteral("-0.000000")),
              measured->fontMetrics().horizontalAdvance(QStringLiteral("-0.000000")));
}

TEST_F(PowerWindow, CalculatedFactorIsSentWithItsSetButtonAndEnterSendsTheFrequency)
{
    replies.insert("CAL:PRINT", "20000\r0\r0\r0\r*0\r");
    Form_PowerCal form(session, prompts);
    open(form);
    click(form, "Option_CurrentRange(1)");
    type(form, "Text_MeasuredCurrent", "1.001");
    click(form, "Command1");
    EXPECT_EQ(text(form, "Text_Calfactor(0)"), "19980");
    dvm->sent.clear();
    click(form, "Command_SetCal(0)");
    click(form, "Option_Frequency(3)");
    type(form, "Text_Frequency", "60");
    pressEnter(form, "Text_Frequency");
    EXPECT_EQ(commands().mid(0, 2), QStringList({"a1", "P19980"}));
    EXPECT_EQ(commands().last(), "F60");
}

TEST_F(PowerWindow, APartialFactorIsRefusedWithTheFocusOnItsBoxAndARefusalShowsInTheWindow)
{
    replies.insert("CAL:PRINT", "20000\r0\r0\r0\r*0\r");
    Form_PowerCal form(session, prompts);
    open(form);
    form.activateWindow();
    dvm->sent.clear();
    type(form, "Text_Calfactor(1)", "-3o");
    click(form, "Command_SetCal(1)");
    click(form, "Command_CalStore");
    EXPECT_EQ(commands(), QStringList({"a2"})) << "the Zero factor never went";
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, "Zero is not a number: \"-3o\". Type a number such as -3 or 0.5.");
    EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(form, "Text_Calfactor(1)"));

    replies.insert("a2", "*7\r");
    click(form, "Command_CalStore");
    EXPECT_TRUE(text(form, "Label_Status").startsWith("Store refused: *7: "));
}

using KvWindow = ProcedureWindowTest;

TEST_F(KvWindow, HighVoltageWarningFollowsTheOutput)
{
    replies.insert("CAL:PRINT", "500000000\r0\r100\r*0\r");
    Form_kVAmp form(session, prompts);
    open(form);
    settle();
    auto *warning = child<QLabel>(form, "Label_HighVoltage");
    EXPECT_FALSE(warning->isVisible());
    click(form, "Command_On");
    EXPECT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(), "HIGH VOLTAGE ON");
    click(form, "Command_Off");
    EXPECT_FALSE(warning->isVisible());
}

TEST_F(KvWindow, MissingAmplifierIsReportedAndTheWindowClosesItself)
{
    replies.insert("D0", "*2\r");
    QPointer<Form_kVAmp> form = new Form_kVAmp(session, prompts);
    open(*form);
    settle();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(prompts.texts(), QStringList({"kV Amplifier option not installed"}));
    EXPECT_EQ(commands(), QStringList({"D0"}));
}

TEST_F(KvWindow, StartsInDcAndTheFrequencyBoxAppearsOnlyInAc)
{
    replies.insert("CAL:PRINT", "500000000\rx\r20000\r0\r*0\r");
    Form_kVAmp form(session, prompts);
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
    // The calculation reads the boxes as typed and empties the measurement.
    click(form, "Command_Z");
    type(form, "Text_MeasuredV", "999.5");
    click(form, "Command_CalcZero");
    EXPECT_EQ(text(form, "Text_Calfactor(1)"), "6842");
    EXPECT_EQ(text(form, "Text_MeasuredV"), "");
}

using CorrectionWindow = ProcedureWindowTest;

/// What both calibration windows do alike with their factor boxes.
template <class Form>
class CalibrationWindowTest : public ProcedureWindowTest
{
};
using CalibrationWindows = ::testing::Types<Form_PowerCal, Form_kVAmp>;
TYPED_TEST_SUITE(CalibrationWindowTest, CalibrationWindows);

TYPED_TEST(CalibrationWindowTest, SetSendsItsOwnRowStoreStoresAndRecordsAndAbortShowsTheCalibratorsFactorsAgain)
{
    QTemporaryDir data;
    DataFolders::setRootOverride(data.path());
    const auto restore = qScopeGuard([] { DataFolders::setRootOverride({}); });
    this->replies.insert("CAL:PRINT", "20000\r0\r150\r0\r*0\r");
    TypeParam form(this->session, this->prompts);
    this->open(form);
    this->type(form, "Text_Calfactor(1)", "4321");
    this->dvm->sent.clear();
    this->click(form, "Command_SetCal(1)");
    EXPECT_EQ(this->commands(), QStringList({"a1", "Z4321"}));
    this->dvm->sent.clear();
    this->click(form, "Command_CalStore");
    EXPECT_EQ(this->commands(), QStringList({"a2", "CAL:PRINT", "*IDN?"}));
    // The zero factor is line 1 of the power function's list (range 120: 100uA AC) and line 2 of
    // the kV amplifier's (range 6: DC); the listing after the store still shows the old value.
    constexpr bool power = std::is_same_v<TypeParam, Form_PowerCal>;
    const QList<ChangeJournal::Entry> entries = ChangeJournal(DataFolders::journalPath()).records().entries;
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(
        entries[0].record.changes,
        (QList<TableChange>{{TableKind::Factors, power ? 120 : 6, power ? 1 : 2, power ? "0" : "150", "4321", false}}));
    EXPECT_EQ(this->text(form, "Label_Status"), "Factors stored, but 1 of those set read back otherwise than sent");
    this->dvm->sent.clear();
    this->click(form, "Command_CalAbort");
    EXPECT_EQ(this->commands(), QStringList({"a0", "CAL:PRINT"}));
    EXPECT_EQ(this->text(form, "Text_Calfactor(0)"), "20000");
    EXPECT_NE(this->text(form, "Text_Calfactor(1)"), "4321") << "the typed factor gives way to the calibrator's";
}

TYPED_TEST(CalibrationWindowTest, WhileItsStepWaitsItsTurnItsButtonsAreOffButExitAndComeBackAsTheyWere)
{
    TypeParam form(this->session, this->prompts);
    this->open(form);
    auto enabledButtons = [&form] {
        QStringList names;
        for (const QAbstractButton *b : form.template findChildren<QAbstractButton *>())
            if (b->isEnabled())
                names << b->objectName();
        return names;
    };
    const QStringList before = enabledButtons();
    ASSERT_GT(before.size(), 2);
    QObject otherWindow;
    OperationQueue::Request other;
    other.name = QStringLiteral("Read Calibrator Time");
    other.work = [&](OperationControl &) {
        this->click(form, "Command_SetCal(1)");
        // Nothing can hand the model new figures while the set waits for the instrument.
        EXPECT_EQ(enabledButtons(), QStringList{QStringLiteral("Command_Exit")});
    };
    this->session.operations().submit(&otherWindow, other);
    this->session.operations().waitUntilIdle();
    EXPECT_EQ(enabledButtons(), before);
}

} // namespace
