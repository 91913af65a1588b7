#include "RealDisplay.h"
#include "caldata/CalFactorTable.h"
#include "gui/app/FormMain.h"
#include "gui/caldata/FormCalFactors.h"
#include "gui/locate/FormAutoLocate.h"
#include "gui/procedures/FormDate.h"
#include "gui/procedures/Form_CalHistory.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

/// Closing the main window (its title bar) while another window sets the calibrator's clock:
/// the engineer is asked; "Yes" ends the program once the write has left the instrument out of
/// setup mode, "No" keeps everything as it was.
class EndingDuringWrite : public RealDisplay, public ::testing::WithParamInterface<Prompts::Answer>
{
};

TEST_P(EndingDuringWrite, AsksAndEndsOnlyAfterTheWrite)
{
    const bool end = GetParam() == Prompts::Answer::Yes;
    mainWindow.hide();
    auto *main = new FormMain(session, prompts);
    QPointer<FormMain> mainAlive = main;
    int unloadedCount = 0;
    QObject::connect(main, &FormMain::unloaded, [&] { ++unloadedCount; });
    main->show();
    activate(*main);
    QPointer<FormDate> clock = new FormDate(session, prompts, main);
    clock->show();
    activate(*clock);
    ASSERT_TRUE(waitFor([&] { return !session.operations().hasWork(); }));

    knobs().replyDelayMs = 400;
    prompts.answers.enqueue(GetParam());
    EventScript script({{[&] { return session.operations().runningWrites(); }, [&] { closeFromTitleBar(*main); }}});
    clock->findChild<QAbstractButton *>(QStringLiteral("Command_SetTime"))->click();

    ASSERT_TRUE(waitFor([&] { return script.finished() && !session.operations().hasWork(); }));
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].text.startsWith(QLatin1String("Stop \"Set Calibrator Time\"?")))
        << prompts.shown[0].text.toStdString();
    if (end) {
        EXPECT_TRUE(waitFor([&] { return unloadedCount == 1; })) << "the program ends once the write is over";
    } else {
        EXPECT_EQ(unloadedCount, 0);
        EXPECT_TRUE(main->isVisible());
        EXPECT_TRUE(clock->isVisible());
    }
    EXPECT_FALSE(calibrator().memory().inSetupMode());
    delete mainAlive.data();
}

INSTANTIATE_TEST_SUITE_P(EitherAnswer, EndingDuringWrite, ::testing::Values(Prompts::Answer::Yes, Prompts::Answer::No),
                         [](const auto &info) {
                             return std::string(info.param == Prompts::Answer::Yes ? "End" : "GoOn");
                         });

} // namespace

namespace {

class AMainWindowButtonPressedDuringAnotherWindowsRead : public RealDisplay,
                                                         public ::testing::WithParamInterface<const char *>
{
};

// "Update" or "Autolocate" in the main window pressed while the history window's read waits for
// the instrument: the button's work waits its turn instead of finding the instrument busy or
// cutting into the read (the search closes the serial port and asks every port), and both windows
// get their answers.
TEST_P(AMainWindowButtonPressedDuringAnotherWindowsRead, WaitsItsTurn)
{
    mainWindow.hide();
    FormMain main(session, prompts);
    main.show();
    activate(main);
    ASSERT_TRUE(waitFor([&] { return !session.operations().hasWork(); }));
    knobs().replyDelayMs = 500;
    const int heardBefore = calibrator().commandsHeard();
    QPointer<Form_CalHistory> history = new Form_CalHistory(session, prompts, &main);
    EventScript script({{[&] { return calibrator().commandsHeard() > heardBefore; },
                         [&] {
                             main.findChild<QAbstractButton *>(QString::fromLatin1(GetParam()))->click();
                             // The read under way keeps its delay; what follows is answered at once.
                             knobs().replyDelayMs = 0;
                         }}});
    history->show();

    ASSERT_TRUE(waitFor([&] { return script.finished() && !session.operations().hasWork(); }));
    EXPECT_GT(history->history().listLines().size(), 0) << "the read was not cut into";
    const QString info = main.findChild<QPlainTextEdit *>(QStringLiteral("Text_Info"))->toPlainText();
    EXPECT_TRUE(info.contains(QLatin1String("Version"))) << info.toStdString();
    EXPECT_FALSE(info.contains(QLatin1String("BUSY")));
    if (auto *locator = main.findChild<FormAutoLocate *>()) {
        // Before, the search took the read's answer ("DATE ...") for an identification.
        EXPECT_EQ(locator->findChild<QLabel *>(QStringLiteral("Label_Result"))->text(), "Instrument Found")
            << locator->findChild<QPlainTextEdit *>(QStringLiteral("Text_Status"))->toPlainText().toStdString();
    }
    delete history.data();
}

INSTANTIATE_TEST_SUITE_P(UpdateAndAutolocate, AMainWindowButtonPressedDuringAnotherWindowsRead,
                         ::testing::Values("Command_GetInfo", "Command_Autolocate"),
                         [](const auto &info) { return std::string(info.param).substr(8); });

} // namespace

namespace {

// Closing the main window from its title bar while the factor window holds a figure typed but
// not written: that window asks, and "Cancel" keeps the figure, the window and so the program;
// "Discard" ends it. (The program used to end whatever the answer, and the figure went with it.)
TEST_F(RealDisplay, EndingAsksAboutUnwrittenFiguresAndCancelKeepsTheProgram)
{
    mainWindow.hide();
    FormMain main(session, prompts);
    int unloadedCount = 0;
    QObject::connect(&main, &FormMain::unloaded, [&] { ++unloadedCount; });
    main.show();
    activate(main);
    main.findChild<QAbstractButton *>(QStringLiteral("Command_CalFactors"))->click();
    QPointer<FormCalFactors> factors = main.findChild<FormCalFactors *>();
    ASSERT_FALSE(factors.isNull());
    factors->table().reshapeForFactors();
    factors->table().setCell(1, 1, QStringLiteral("5"), CalFactorTable::CellState::Pending);

    prompts.answers.enqueue(Prompts::Answer::Cancel);
    closeFromTitleBar(main);
    ASSERT_TRUE(waitFor([&] { return prompts.shown.size() == 1; }));
    EXPECT_EQ(prompts.shown[0].text, "Discard 1 unwritten change?");
    EXPECT_EQ(unloadedCount, 0) << "the program ended over the figure the engineer chose to keep";
    EXPECT_TRUE(main.isVisible());
    ASSERT_FALSE(factors.isNull());
    EXPECT_TRUE(factors->isVisible());
    EXPECT_EQ(factors->table().unwrittenCount(), 1);

    prompts.answers.enqueue(Prompts::Answer::Discard);
    closeFromTitleBar(main);
    EXPECT_TRUE(waitFor([&] { return unloadedCount == 1 && factors.isNull(); }));
    EXPECT_EQ(prompts.shown.size(), 2);
}

} // namespace
