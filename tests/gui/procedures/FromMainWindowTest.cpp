#include "gui/app/AppTestSupport.h"
#include "gui/app/FormMain.h"
#include "gui/app/Main.h"
#include "gui/procedures/FormDate.h"
#include "gui/procedures/Form_AdapterSetup.h"
#include "gui/procedures/Form_CalHistory.h"
#include "gui/procedures/Form_CalibratorOutput.h"
#include "gui/procedures/Form_OutputCorrection.h"
#include "gui/procedures/Form_PowerCal.h"
#include "gui/procedures/Form_kVAmp.h"
#include "procedures/LenientDate.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimeEdit>

namespace {

// Each procedure window opened from its main-window button, against the virtual calibrator.
class FromMainWindow : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        main = Main(session, prompts);
        ASSERT_NE(main, nullptr) << prompts.texts().join(QLatin1Char('|')).toStdString();
    }

    /// Presses the main window's button and returns the window it opened, loaded and active.
    template <class Form>
    Form *openFrom(const char *buttonName)
    {
        QAbstractButton *b = control(*main, buttonName);
        if (!b)
            return nullptr;
        EXPECT_TRUE(b->isEnabled()) << buttonName;
        b->click();
        QCoreApplication::processEvents();
        // The activation's refresh runs from the event loop once the activation is over.
        QCoreApplication::sendPostedEvents();
        auto *form =
            qobject_cast<Form *>(main->findModeless([](QWidget *w) { return qobject_cast<Form *>(w) != nullptr; }));
        EXPECT_NE(form, nullptr) << buttonName;
        if (form) {
            EXPECT_TRUE(form->isVisible()) << buttonName;
        }
        return form;
    }
    static QString textOf(QWidget &w, const char *name)
    {
        if (auto *edit = w.findChild<QLineEdit *>(QString::fromLatin1(name)))
            return edit->text();
        if (auto *label = w.findChild<QLabel *>(QString::fromLatin1(name)))
            return label->text();
        ADD_FAILURE() << name;
        return {};
    }
    static void typeInto(QWidget &w, const char *name, const QString &text)
    {
        if (auto *edit = control<QLineEdit>(w, name))
            edit->setText(text);
    }

    std::unique_ptr<FormMain> main;
};

TEST_F(FromMainWindow, DateAndTimeSetsTheCalibratorClock)
{
    auto *form = openFrom<FormDate>("Command_Date");
    ASSERT_NE(form, nullptr);
    EXPECT_NE(textOf(*form, "LabelMeterDate"), "...");
    EXPECT_NE(textOf(*form, "LabelMeterDate"), "Invalid Reply");
    control<QDateEdit>(*form, "DTPicker1")->setDate(QDate(2030, 1, 1));
    control<QTimeEdit>(*form, "DTPicker2")->setTime(QTime(9, 5));
    control(*form, "Command_SetOtherTime")->click();
    EXPECT_EQ(sim.memory().clockAt(fake.clock.currentDateTime()).date(), QDate(2030, 1, 1));
    EXPECT_EQ(textOf(*form, "LabelMeterDate"), LenientDate::displayForm(QDateTime(QDate(2030, 1, 1), QTime(9, 5))));
    EXPECT_FALSE(sim.memory().inSetupMode());

    // A second press brings the open window forward instead of opening another.
    control(*main, "Command_Date")->click();
    EXPECT_EQ(main->findModeless([](QWidget *w) { return qobject_cast<FormDate *>(w) != nullptr; }), form);
}

TEST_F(FromMainWindow, PowerCalibrationStoresAFactorThatTheHistoryThenShows)
{
    auto *power = openFrom<Form_PowerCal>("Command_PowerCal");
    ASSERT_NE(power, nullptr);
    EXPECT_EQ(textOf(*power, "Text_Calfactor(0)").toLongLong(), sim.memory().output().power[0][0]);
    typeInto(*power, "Text_Calfactor(1)", "17");
    control(*power, "Command_SetCal(1)")->click();
    control(*power, "Command_CalStore")->click();
    EXPECT_EQ(sim.memory().output().power[0][1], 17);
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.texts().join('|').toStdString();
    // A factor outside what the calibrator takes is reported.
    typeInto(*power, "Text_Calfactor(1)", "99999");
    control(*power, "Command_SetCal(1)")->click();
    EXPECT_EQ(prompts.texts(), QStringList({"Cal Factor Out Of Range"}));

    auto *history = openFrom<Form_CalHistory>("Command_ViewCalHistory");
    ASSERT_NE(history, nullptr);
    auto *events = control<QListWidget>(*history, "List_CalEvents");
    auto *ranges = control<QListWidget>(*history, "ListView1");
    EXPECT_EQ(events->count(), sim.memory().calibrationLog().events().size());
    ASSERT_EQ(ranges->count(), 1);
    EXPECT_EQ(ranges->item(0)->text(), "Power 100uA AC (120)");
}

TEST_F(FromMainWindow, KvAmplifierStartsInDcWithTheCalibratorsFactors)
{
    auto *kv = openFrom<Form_kVAmp>("Command_KVAMP");
    ASSERT_NE(kv, nullptr);
    EXPECT_EQ(textOf(*kv, "Text_Calfactor(0)"), "500123456");
    EXPECT_EQ(textOf(*kv, "Text_Calfactor(1)"), "12345");
    EXPECT_EQ(sim.memory().output().function, OutputState::Function::KvDc);
    control(*kv, "Command_FS")->click();
    EXPECT_EQ(sim.memory().output().voltage, 10000);
}

TEST_F(FromMainWindow, KvAmplifierWindowClosesOnAnInstrumentWithoutTheOption)
{
    sim.memory().output().kvAmplifierFitted = false;
    control(*main, "Command_KVAMP")->click();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main->findModeless([](QWidget *w) { return qobject_cast<Form_kVAmp *>(w) != nullptr; }), nullptr);
    EXPECT_EQ(prompts.texts(), QStringList({"kV Amplifier option not installed"}));
}

TEST_F(FromMainWindow, OutputCorrectionAndCalibratorOutputTalkToTheCalibrator)
{
    auto *correction = openFrom<Form_OutputCorrection>("Command_CorrectionFactors");
    ASSERT_NE(correction, nullptr);
    control(*correction, "Command_Read")->click();
    EXPECT_EQ(textOf(*correction, "Text1"), "1.002300");

    auto *output = openFrom<Form_CalibratorOutput>("Command_SetOutput");
    ASSERT_NE(output, nullptr);
    typeInto(*output, "Text_SetOutput", "10V");
    control(*output, "Command_SetOutput")->click();
    EXPECT_EQ(textOf(*output, "Label_CalibratorDisplay"), "10.0000 V STBY\n*0");
    control(*output, "Command_OutputOn")->click();
    EXPECT_TRUE(sim.memory().output().outputOn);

    auto *adapters = openFrom<Form_AdapterSetup>("Command_Adapters");
    ASSERT_NE(adapters, nullptr);
    EXPECT_EQ(adapters->windowTitle(), "Adapter Mode Setup");
}

} // namespace
