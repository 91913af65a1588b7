#include "ProcedureWindowTestSupport.h"
#include "gui/procedures/Form_AdapterSetup.h"
#include "gui/procedures/Form_CalHistory.h"
#include "gui/procedures/Form_CalibratorOutput.h"
#include "procedures/LenientDate.h"

#include <QListWidget>

namespace {

QStringList items(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

using HistoryWindow = ProcedureWindowTest;

TEST_F(HistoryWindow, ActivationListsEventsNewestFirstAndSelectingOneShowsItsRanges)
{
    replies.insert("CALIBRATION:HISTORY", "DATE 01/02/2009\rRANGE 1,2,3\rDATE 05/06/2010\rRANGE 11\r*0\r");
    Form_CalHistory form(session, prompts);
    open(form);
    auto *events = child<QListWidget>(form, "List_CalEvents");
    auto *ranges = child<QListWidget>(form, "ListView1");
    EXPECT_EQ(items(events),
              QStringList({LenientDate::mediumForm(QDate(2010, 6, 5)), LenientDate::mediumForm(QDate(2009, 2, 1))}));
    EXPECT_EQ(events->currentRow(), 0);
    EXPECT_EQ(items(ranges), QStringList({"200uA DC (11)"}));

    events->setCurrentRow(1);
    form.List_CalEvents_Click();
    EXPECT_EQ(items(ranges), QStringList({"200mv DC (1)", "2V DC (2)", "20V DC (3)"}));
    EXPECT_EQ(commands(), QStringList({"CALIBRATION:HISTORY"})) << "choosing an event sends nothing";

    // Re-activation reads again and selects the top line.
    reactivate(form);
    EXPECT_EQ(events->currentRow(), 0);
    EXPECT_EQ(commands().size(), 2);
}

// The refresh of an activation runs from the event loop; a window closed in between (its title
// bar clicked right after the window was) reads nothing: its read would run while the window
// waits to be deleted, and could be deleted under it.
TEST_F(HistoryWindow, AWindowClosedBeforeItsActivationRefreshReadsNothing)
{
    replies.insert("CALIBRATION:HISTORY", "DATE 01/02/2009\rRANGE 1\r*0\r");
    QPointer<Form_CalHistory> form = new Form_CalHistory(session, prompts);
    open(*form);
    ASSERT_EQ(commands().size(), 1);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(form, &activate);
    form->close();
    QCoreApplication::sendPostedEvents();
    settle();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(commands().size(), 1);
}

TEST_F(HistoryWindow, UpAndDownChooseAnEventAndItsRangesFollow)
{
    replies.insert("CALIBRATION:HISTORY",
                   "DATE 01/02/2009\rRANGE 1,2\rDATE 05/06/2010\rRANGE 11\rDATE 07/08/2011\rRANGE 3\r*0\r");
    Form_CalHistory form(session, prompts);
    open(form);
    auto *events = child<QListWidget>(form, "List_CalEvents");
    auto *ranges = child<QListWidget>(form, "ListView1");
    ASSERT_EQ(events->count(), 3);
    const QStringList newest = {"20V DC (3)"};
    const QStringList middle = {"200uA DC (11)"};
    const QStringList oldest = {"200mv DC (1)", "2V DC (2)"};
    ASSERT_EQ(items(ranges), newest);

    const struct
    {
        Qt::Key key;
        int row;
        QStringList ranges;
    } steps[] = {
        {Qt::Key_Down, 1, middle}, {Qt::Key_Down, 2, oldest}, {Qt::Key_Down, 2, oldest}, // the last event stays chosen
        {Qt::Key_Up, 1, middle},   {Qt::Key_Home, 0, newest},
    };
    events->setFocus();
    for (const auto &step : steps) {
        QKeyEvent press(QEvent::KeyPress, step.key, Qt::NoModifier);
        QCoreApplication::sendEvent(events, &press);
        EXPECT_EQ(events->currentRow(), step.row);
        EXPECT_EQ(items(ranges), step.ranges) << "row " << step.row;
    }
    EXPECT_EQ(commands(), QStringList({"CALIBRATION:HISTORY"})) << "choosing an event sends nothing";
}

TEST_F(HistoryWindow, NoEventsShowOnePlaceholderAndListsGrowWithTheWindow)
{
    replies.insert("CALIBRATION:HISTORY", "TIMEOUT");
    Form_CalHistory form(session, prompts);
    form.show();
    click(form, "Command_Update");
    EXPECT_EQ(items(child<QListWidget>(form, "List_CalEvents")), QStringList({" --- "}));
    EXPECT_EQ(child<QListWidget>(form, "ListView1")->count(), 0);

    form.resize(500, 300);
    QCoreApplication::processEvents();
    const QSize small = child<QListWidget>(form, "ListView1")->size();
    form.resize(900, 700);
    QCoreApplication::processEvents();
    const QSize large = child<QListWidget>(form, "ListView1")->size();
    EXPECT_GT(large.width(), small.width() + 300);
    EXPECT_GT(large.height(), small.height() + 300);
    EXPECT_GT(child<QAbstractButton>(form, "Command_Exit")->y(), 600) << "the buttons stay along the bottom";
}

using OutputWindow = ProcedureWindowTest;

TEST_F(OutputWindow, DisplayFollowsOnlyASingleSuccessLine)
{
    replies.insert("X", "  10.0000 V STBY\r*0\r");
    Form_CalibratorOutput form(session, prompts);
    EXPECT_EQ(text(form, "Label_CalibratorDisplay"), "Calibrator Display");
    type(form, "Text_SetOutput", "10V");
    click(form, "Command_SetOutput");
    EXPECT_EQ(commands(), QStringList({"o10V", "X"}));
    EXPECT_EQ(form.displayReply(), "  10.0000 V STBY\r*0\r");
    EXPECT_TRUE(text(form, "Label_CalibratorDisplay").startsWith("10.0000 V STBY"));

    dvm->sent.clear();
    replies.insert("o20V", "*0\rsecond\r");
    type(form, "Text_SetOutput", "20V");
    click(form, "Command_SetOutput");
    EXPECT_EQ(commands(), QStringList({"o20V"}));
    EXPECT_TRUE(text(form, "Label_CalibratorDisplay").startsWith("10.0000 V"));
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(text(form, "Label_Status"), "Setting 20V: the calibrator's answer was not a plain yes");

    dvm->sent.clear();
    replies.insert("o2000V", "*5\r");
    type(form, "Text_SetOutput", "2000V");
    click(form, "Command_SetOutput");
    EXPECT_EQ(text(form, "Label_Status"), "Setting 2000V refused: *5: the value is outside what the calibrator takes");

    dvm->sent.clear();
    click(form, "Command_OutputOn");
    click(form, "Command_Standby");
    EXPECT_EQ(text(form, "Label_Status"), "Output in standby");
    // A setting that is no number and unit is refused before anything is sent.
    type(form, "Text_SetOutput", "");
    pressEnter(form, "Text_SetOutput");
    EXPECT_EQ(commands(), QStringList({"S0", "S1"}));
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text,
              "Output is not a number and a unit: \"\". Type a number and a unit such as 10V or 1.5mA.");
}

TEST_F(OutputWindow, AdapterWindowOnlyCloses)
{
    QPointer<Form_AdapterSetup> form = new Form_AdapterSetup(session, prompts);
    form->show();
    EXPECT_EQ(form->windowTitle(), "Adapter Mode Setup");
    click(*form, "Command_Exit");
    settle();
    EXPECT_TRUE(form.isNull()) << "Exit unloads the window";
    EXPECT_TRUE(commands().isEmpty());
}

} // namespace
