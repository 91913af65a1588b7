#pragma once

#include "fixtures/ScriptedPrompts.h"
#include "session/InstrumentSession.h"
#include "sim/VirtualCalibrator.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <gtest/gtest.h>

/**
 * @brief Windows on a real X server with a window manager: activation, focus and close events
 * come from the window manager as on a desktop, and the virtual calibrator answers over its
 * pseudo-terminal at 9600 baud in real time.
 *
 * Nothing here waits for a length of time: every wait is for a condition, with a generous limit
 * that only a hung program reaches.
 */
class RealDisplay : public ::testing::Test
{
protected:
    static constexpr int kLimitMs = 30000;

    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display with a window manager: run under scripts/with-display.sh";
        SimulatedInstrument::Options options;
        options.settingsScope = QStringLiteral("calsetup display test");
        QString error;
        ASSERT_TRUE(session.startSimulation(options, &error)) << error.toStdString();
        session.createDvm(QStringLiteral("5200"));
        ASSERT_TRUE(session.connect(session.simulation()->endpoint(InterfaceRS232), &error)) << error.toStdString();
        knobs().paceCharsPerSecond = 960;
        // As the program runs: the instrument's work on a thread of its own.
        session.useWorkThread();

        mainWindow.setWindowTitle(QStringLiteral("main window stand-in"));
        mainWindow.resize(400, 300);
        mainWindow.show();
        activate(mainWindow);
    }

    void TearDown() override { session.operations().waitUntilIdle(); }

    VirtualCalibrator &calibrator() { return session.simulation()->calibrator(); }
    FaultKnobs &knobs() { return calibrator().knobs(); }

    /// Runs work as an operation, on the instrument's thread as every window's work, and waits
    /// for its result.
    template <class Result>
    Result onInstrument(std::function<Result()> work)
    {
        Result result{};
        bool done = false;
        QObject owner;
        session.operations().submit(&owner,
                                    OperationQueue::request<Result>(
                                        QStringLiteral("test"), OperationQueue::Effect::Reads,
                                        OperationQueue::WhenBusy::WaitTurn,
                                        [work](OperationControl &) { return work(); },
                                        [&](Result r) {
                                            result = std::move(r);
                                            done = true;
                                        }));
        EXPECT_TRUE(waitFor([&] { return done; })) << "the operation never ended";
        return result;
    }

    /// Runs events until condition holds; false when the limit passed first.
    static bool waitFor(const std::function<bool()> &condition, int limitMs = kLimitMs)
    {
        QDeadlineTimer deadline(limitMs);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    /// Asks the window manager to activate the window and waits until it has.
    static void activate(QWidget &window)
    {
        window.activateWindow();
        window.raise();
        EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == &window; }))
            << "the window manager never activated " << window.windowTitle().toStdString();
    }

    /// A click into the window, as the user brings it to the front (the window manager may refuse
    /// a program's own request to activate a window whose transient sits above it). The window is
    /// raised first, so the click lands on it and not on a window in front of it.
    static void clickInto(QWidget &window)
    {
        const QString id = QString::number(window.winId());
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("windowraise"), id, QStringLiteral("mousemove"), QStringLiteral("--window"),
                           id, QStringLiteral("5"), QStringLiteral("5"), QStringLiteral("click"), QStringLiteral("1")});
    }

    /// The title bar's close button: the window manager asks the window to close.
    static void closeFromTitleBar(QWidget &window)
    {
        const QString id = QStringLiteral("0x%1").arg(window.winId(), 0, 16);
        QProcess::execute(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), id});
    }

    InstrumentSession session;
    ScriptedPrompts prompts;
    QWidget mainWindow;
};

/**
 * @brief Steps that run one after another from whatever event loop is running, each when its
 * condition holds: a way to act while the program waits for the instrument, as a user clicking
 * about does.
 */
class EventScript : public QObject
{
public:
    struct Step
    {
        std::function<bool()> when;
        std::function<void()> action;
    };

    explicit EventScript(QList<Step> steps) : m_steps(std::move(steps))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    bool finished() const { return m_next == m_steps.size(); }
    int stepsDone() const { return int(m_next); }

private:
    void poll()
    {
        if (m_running || finished())
            return;
        if (!m_steps[m_next].when())
            return;
        // An action may itself wait (a close that asks a question): the script goes on after it.
        m_running = true;
        m_steps[m_next++].action();
        m_running = false;
        if (finished())
            m_timer.stop();
    }

    QList<Step> m_steps;
    qsizetype m_next = 0;
    bool m_running = false;
    QTimer m_timer;
};
