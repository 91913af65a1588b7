#include "gui/procedures/FormDate.h"

#include "ProcedureWindowTestSupport.h"
#include "procedures/LenientDate.h"

#include <QDateEdit>
#include <QTimeEdit>

namespace {

class FormDateTest : public ProcedureWindowTest
{
protected:
    FormDateTest()
    {
        fake.clock.setDateTime(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
        replies.insert("T", "Version 2.13\rS/N 1\r5241\r05/03/2026\r14:07:09\r*0\r");
    }
};

TEST_F(FormDateTest, ActivationShowsBothClocksAndResetsThePickers)
{
    QPointer<FormDate> form = new FormDate(session, prompts);
    open(*form);
    EXPECT_EQ(commands(), QStringList({"T"}));
    child<QDateEdit>(*form, "DTPicker1")->setDate(QDate(2001, 1, 1));
    fake.clock.advance(3 * 60 * 1000);
    reactivate(*form);
    EXPECT_EQ(text(*form, "LabelDate"), LenientDate::displayForm(fake.clock.currentDateTime()));
    EXPECT_EQ(text(*form, "LabelMeterDate"), LenientDate::displayForm(QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9))));
    EXPECT_EQ(child<QDateEdit>(*form, "DTPicker1")->date(), QDate(2026, 12, 8));
    EXPECT_EQ(child<QTimeEdit>(*form, "DTPicker2")->time(), QTime(10, 3));
    EXPECT_EQ(commands(), QStringList({"T", "T"})) << "every activation reads the calibrator again";
    EXPECT_EQ(form->windowTitle(), "Date and Time");
    delete form;
}

TEST_F(FormDateTest, ComputerClockIsRefreshedEveryFiveSeconds)
{
    FormDate form(session, prompts);
    form.TimerClock_Timer();
    const QString before = text(form, "LabelDate");
    fake.clock.advance(60000);
    EXPECT_NE(text(form, "LabelDate"), before);
    EXPECT_EQ(text(form, "LabelDate"), LenientDate::displayForm(fake.clock.currentDateTime()));
}

TEST_F(FormDateTest, SpecifiedTimeTakesTheDateFromOnePickerAndTheTimeFromTheOther)
{
    FormDate form(session, prompts);
    child<QDateEdit>(form, "DTPicker1")->setDate(QDate(2030, 1, 1));
    child<QTimeEdit>(form, "DTPicker2")->setTime(QTime(9, 5));
    click(form, "Command_SetOtherTime");
    EXPECT_EQ(commands(), QStringList({"SYSTEM:PASSWORD 5820316", "SYSTEM:SETDATE 0101300905", "T", "CAL:PASSWORD 0"}));
    EXPECT_NE(text(form, "LabelMeterDate"), "...");

    dvm->sent.clear();
    click(form, "Command_SetTime");
    EXPECT_EQ(commands().at(1), "SYSTEM:SETDATE 0812261000");
}

TEST_F(FormDateTest, ARefusedSettingLeavesTheCalibratorLabelAloneAndSaysWhy)
{
    FormDate form(session, prompts);
    replies.insert("T", "TIMEOUT");
    click(form, "Command_ReadMeterTime");
    EXPECT_EQ(text(form, "LabelMeterDate"), "Invalid Reply");
    replies.insert("SYSTEM:SETDATE 0812261000", "*6\r");
    replies.insert("T", "Version 2.13\rS/N 1\r5241\r05/03/2026\r14:07:09\r*0\r");
    click(form, "Command_SetTime");
    EXPECT_EQ(text(form, "LabelMeterDate"), "Invalid Reply");
    EXPECT_EQ(text(form, "Label_Status"),
              "Set Calibrator Time refused: *6: the setup password is needed first");
    EXPECT_EQ(commands().last(), "CAL:PASSWORD 0");
    EXPECT_TRUE(prompts.shown.isEmpty());

    replies.insert("SYSTEM:SETDATE 0812261000", "*0\r");
    click(form, "Command_SetTime");
    EXPECT_EQ(text(form, "Label_Status"), "Calibrator clock set");
}

} // namespace
