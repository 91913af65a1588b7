// The windowed program. With --simulate it runs on a virtual calibrator built into the process,
// reached through a pseudo-terminal exactly as a real instrument on a serial port.
#include "gui/app/Main.h"

#include "gui/app/FormMain.h"
#include "gui/common/QtPrompts.h"
#include "instrument/gpib/GpibLibrary.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScopeGuard>
#include <QTimer>

#include <cstdio>

namespace {
// The program ends this way when the user quits after no calibrator answered at start-up, or when
// the simulation cannot start.
constexpr int kExitNotFound = 3;
constexpr int kExitCannotStart = 2;
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(Settings::applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(CALSETUP_VERSION));

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Run on the built-in virtual calibrator."));
    parser.addOption(simulate);
    // For start-up measurements: end as soon as the main window is up and connected.
    const QCommandLineOption quitWhenConnected(
        QStringLiteral("quit-when-connected"),
        QStringLiteral("Print \"connected\" and end once the main window is connected (for measurements)."));
    parser.addOption(quitWhenConnected);
    parser.process(app);

    QtPrompts prompts;
    InstrumentSession session;
    QString title = Settings::applicationTitle();
    // A GPIB library that will not register this thread's status variables cannot be used: say
    // so and end, whether that happens during the start-up search or later.
    bool gpibSetupFailed = false;
    GpibLibrary::setSetupFailureHandler([&prompts, &gpibSetupFailed, title](const QString &message) {
        gpibSetupFailed = true;
        prompts.critical(message, title);
        QCoreApplication::exit(kExitCannotStart);
    });
    const auto forgetHandler = qScopeGuard([] { GpibLibrary::setSetupFailureHandler({}); });
    if (parser.isSet(simulate)) {
        // A simulated session keeps its settings apart, so it never overwrites a real installation's.
        QString error;
        if (!session.startSimulation({}, &error)) {
            prompts.critical(QStringLiteral("The virtual calibrator could not start: ") + error, title);
            return kExitCannotStart;
        }
        title += QStringLiteral(" - simulated calibrator");
    }

    std::unique_ptr<FormMain> window = Main(session, prompts, title);
    if (gpibSetupFailed)
        return kExitCannotStart;
    if (!window)
        return kExitNotFound;
    // Start-up has found the instrument; from here on its work runs on a thread of its own, so
    // no window ever waits for it.
    session.useWorkThread();
    QObject::connect(window.get(), &FormMain::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (parser.isSet(quitWhenConnected)) {
        // Once the events queued by the start-up (the window's first paint among them) have run.
        QTimer::singleShot(0, &app, [] {
            std::printf("connected\n");
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    }
    return app.exec();
}
