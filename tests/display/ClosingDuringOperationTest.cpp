#include "RealDisplay.h"
#include "gui/procedures/FormDate.h"
#include "gui/procedures/Form_CalHistory.h"
#include "gui/procedures/Form_CalibratorOutput.h"
#include "gui/procedures/Form_PowerCal.h"
#include "gui/procedures/Form_kVAmp.h"
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
    IDVM *dvm = session.dvm();
    EXPECT_TRUE(onInstrument<bool>([dvm] { return dvm->CheckIdentity(dvm->Identify().trimmed()); }));
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

/// A window and a button of it that writes to the instrument.
struct WritingStep
{
    const char *name;
    std::function<QWidget *(InstrumentSession &, Prompts &, QWidget *)> make;
    const char *button;
    const char *operation;
};

void PrintTo(const WritingStep &step, std::ostream *os)
{
    *os << step.name;
}

class ClosingDuringWrite : public RealDisplay,
                           public ::testing::WithParamInterface<std::tuple<WritingStep, Prompts::Answer>>
{
};

// Closing a window from its title bar while one of its writes runs asks first; "Yes" closes it
// once the write has ended, "No" keeps it and the write.
TEST_P(ClosingDuringWrite, AsksFirstAndNeverLeavesTheInstrumentInSetupMode)
{
    const auto &[step, answer] = GetParam();
    QPointer<QWidget> window = step.make(session, prompts, &mainWindow);
    window->show();
    activate(*window);
    ASSERT_TRUE(waitFor([&] { return !session.operations().hasWork(); }));
    prompts.answers.enqueue(answer);
    knobs().replyDelayMs = 400;

    EventScript script({{[&] { return session.operations().isWriting(window); }, [&] { closeFromTitleBar(*window); }}});
    window->findChild<QAbstractButton *>(QString::fromLatin1(step.button))->click();

    ASSERT_TRUE(waitFor([&] { return script.finished() && !session.operations().hasWork(); }));
    ASSERT_EQ(prompts.shown.size(), 1);
    const QString question = QStringLiteral("Stop \"%1\"?").arg(QString::fromLatin1(step.operation));
    EXPECT_TRUE(prompts.shown[0].text.startsWith(question)) << prompts.shown[0].text.toStdString();
    if (answer == Prompts::Answer::Yes)
        EXPECT_TRUE(waitFor([&] { return window.isNull(); })) << "a stopped window closes once its write ended";
    else
        EXPECT_FALSE(window.isNull()) << "\"No\" keeps the window and its write going";
    EXPECT_FALSE(calibrator().memory().inSetupMode());
    delete window.data();
}

template <class Form>
QWidget *make(InstrumentSession &session, Prompts &prompts, QWidget *parent)
{
    return new Form(session, prompts, parent);
}

INSTANTIATE_TEST_SUITE_P(
    EachWindowEitherAnswer, ClosingDuringWrite,
    ::testing::Combine(
        ::testing::Values(WritingStep{"DateAndTime", make<FormDate>, "Command_SetTime", "Set Calibrator Time"},
                          WritingStep{"PowerCalibration", make<Form_PowerCal>, "Command_SetZero", "Set Zero"},
                          WritingStep{"KvAmplifier", make<Form_kVAmp>, "Command_On", "Output On"},
                          WritingStep{"CalibratorOutput", make<Form_CalibratorOutput>, "Command_OutputOn",
                                      "Output On"}),
        ::testing::Values(Prompts::Answer::Yes, Prompts::Answer::No)),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name)
            + (std::get<1>(info.param) == Prompts::Answer::Yes ? "Stop" : "GoOn");
    });

} // namespace

namespace {

// Clicking from one window into the history window, whose activation reads from the instrument,
// and closing the first window from its title bar while that read waits: the first window goes,
// and the activation that was under way when the read started ends without touching it.
TEST_F(RealDisplay, AWindowClosedDuringAnotherWindowsActivationReadGoesSafely)
{
    QPointer<QWidget> history = new Form_CalHistory(session, prompts, &mainWindow);
    history->show();
    ASSERT_TRUE(waitFor([&] { return !session.operations().hasWork(); }));
    QPointer<QWidget> other = new QWidget(&mainWindow, Qt::Window);
    other->setAttribute(Qt::WA_DeleteOnClose);
    other->setWindowTitle(QStringLiteral("window without instrument work"));
    other->resize(300, 200);
    other->show();
    activate(*other);

    knobs().replyDelayMs = 1500; // long enough for the close to land inside the read
    const int heardBefore = calibrator().commandsHeard();
    EventScript script(
        {{[&] { return calibrator().commandsHeard() > heardBefore; }, [&] { closeFromTitleBar(*other); }}});
    clickInto(*history);

    ASSERT_TRUE(waitFor([&] { return script.finished() && other.isNull() && !session.operations().hasWork(); }));
    EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == history; }));
    ASSERT_FALSE(history.isNull());
    EXPECT_GT(static_cast<Form_CalHistory *>(history.data())->history().listLines().size(), 0);
    delete history.data();
}

} // namespace
