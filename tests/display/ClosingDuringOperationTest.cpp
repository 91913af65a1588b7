#include "RealDisplay.h"
#include "gui/procedures/FormDate.h"
#include "gui/procedures/Form_CalHistory.h"
#include "instrument/IDVM.h"

#include <QAbstractButton>
#include <QElapsedTimer>

namespace {

/// A window that reads from the instrument each time it becomes active.
struct ReadingWindow
{
    const char *name;
    std::function<QWidget *(InstrumentSession &, Prompts &, QWidget *)> make;
};

void PrintTo(const ReadingWindow &window, std::ostream *os)
{
    *os << window.name;
}

class ClosingDuringRead : public RealDisplay, public ::testing::WithParamInterface<ReadingWindow>
{
};

// Open the window, click the main window, click the window again while its read still waits for
// the instrument, then close it from its title bar: the read ends unheard and the window goes
// only after it, the program lives on, and the instrument still answers.
TEST_P(ClosingDuringRead, TheWindowGoesAfterItsReadAndTheProgramLivesOn)
{
    constexpr int kReplyDelayMs = 1500; // long enough for the clicks below to land inside the read
    knobs().replyDelayMs = kReplyDelayMs;
    QPointer<QWidget> window = GetParam().make(session, prompts, &mainWindow);
    OperationQueue &queue = session.operations();
    const int heardBefore = calibrator().commandsHeard();
    QElapsedTimer sinceHeard;
    bool closedDuringRead = false;
    EventScript script({
        {[&] { return calibrator().commandsHeard() > heardBefore; },
         [&] {
             sinceHeard.start();
             clickInto(mainWindow);
         }},
        {[&] { return QApplication::activeWindow() == &mainWindow; }, [&] { clickInto(*window); }},
        {[&] { return QApplication::activeWindow() == window; },
         [&] {
             closedDuringRead = sinceHeard.elapsed() < kReplyDelayMs;
             closeFromTitleBar(*window);
         }},
    });
    window->show();
    window->activateWindow();

    ASSERT_TRUE(waitFor([&] { return window.isNull(); })) << "steps done: " << script.stepsDone();
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(closedDuringRead) << "the close came after the read: the test did not try what it names";
    EXPECT_TRUE(waitFor([&] { return !queue.isBusy(); }));
    knobs().replyDelayMs = 0;
    EXPECT_TRUE(session.dvm()->CheckIdentity(session.dvm()->Identify().trimmed()));
}

INSTANTIATE_TEST_SUITE_P(
    EachWindow, ClosingDuringRead,
    ::testing::Values(ReadingWindow{"CalibrationHistory",
                                    [](InstrumentSession &s, Prompts &p, QWidget *parent) -> QWidget * {
                                        return new Form_CalHistory(s, p, parent);
                                    }},
                      ReadingWindow{"DateAndTime",
                                    [](InstrumentSession &s, Prompts &p, QWidget *parent) -> QWidget * {
                                        return new FormDate(s, p, parent);
                                    }}),
    [](const auto &info) { return std::string(info.param.name); });

/// Closing the clock window while it sets the calibrator's clock asks first.
class ClosingDuringWrite : public RealDisplay, public ::testing::WithParamInterface<Prompts::Answer>
{
};

TEST_P(ClosingDuringWrite, AsksFirstAndNeverLeavesTheInstrumentInSetupMode)
{
    const bool stop = GetParam() == Prompts::Answer::Yes;
    QPointer<FormDate> window = new FormDate(session, prompts, &mainWindow);
    window->show();
    activate(*window);
    ASSERT_TRUE(waitFor([&] { return !session.operations().isBusy(); }));
    prompts.answers.enqueue(GetParam());
    knobs().replyDelayMs = 400;

    EventScript script({{[&] { return session.operations().isWriting(window); }, [&] { closeFromTitleBar(*window); }}});
    window->findChild<QAbstractButton *>(QStringLiteral("Command_SetTime"))->click();

    ASSERT_TRUE(waitFor([&] { return script.finished() && !session.operations().isBusy(); }));
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].text.startsWith(QLatin1String("Stop \"Set Calibrator Time\"?")))
        << prompts.shown[0].text.toStdString();
    if (stop)
        EXPECT_TRUE(waitFor([&] { return window.isNull(); })) << "a stopped window closes once its write ended";
    else
        EXPECT_FALSE(window.isNull()) << "\"No\" keeps the window and its write going";
    EXPECT_FALSE(calibrator().memory().inSetupMode());
    delete window.data();
}

INSTANTIATE_TEST_SUITE_P(EitherAnswer, ClosingDuringWrite, ::testing::Values(Prompts::Answer::Yes, Prompts::Answer::No),
                         [](const auto &info) {
                             return std::string(info.param == Prompts::Answer::Yes ? "Stop" : "GoOn");
                         });

} // namespace
