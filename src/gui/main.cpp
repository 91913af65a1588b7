// The windowed program. With --simulate it runs on a virtual calibrator built into the process,
// reached through a pseudo-terminal exactly as a real instrument on a serial port.
#include "gui/app/Main.h"

#include "gui/app/FormMain.h"
#include "gui/common/QtPrompts.h"
#include "instrument/gpib/GpibLibrary.h"
#include "platform/ManPage.h"
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

/// The page the build installs as calsetup(1).
QString manPage(const QList<QCommandLineOption> &options)
{
    ManPage page(QStringLiteral("calsetup"), QStringLiteral("set up and calibrate a multi-product calibrator"));
    page.addSynopsis(QStringLiteral("[--simulate]"));
    page.addSection(QStringLiteral("Description"));
    page.addParagraph(QStringLiteral(
        "The windowed program for bringing a 5200-family or 5600 multi-product calibrator, or the 6481 reference "
        "DMM, into service: it finds the instrument on RS-232, GPIB, USB or Ethernet, reads, edits, backs up and "
        "writes its calibration factors and specification table, sets its clock and passwords, runs the adjustment "
        "procedures and reads its calibration history."));
    page.addParagraph(QStringLiteral(
        "At start-up it tries the saved connection, then searches the serial ports for a calibrator. The user needs "
        "access to the device: membership of the dialout group for serial ports; the installed udev rule gives the "
        "user at the seat the USB bridges and GPIB boards."));
    page.addSection(QStringLiteral("Options"));
    page.addItems(ManPage::helpOptionItems(true) + ManPage::optionItems(options));
    page.addSection(QStringLiteral("Exit status"));
    page.addParagraph(QStringLiteral("0 when the main window is closed, %1 when the virtual calibrator or the GPIB "
                                     "library cannot start, %2 when the user ends the program because no calibrator "
                                     "answered at start-up.")
                          .arg(kExitCannotStart)
                          .arg(kExitNotFound));
    page.addSection(QStringLiteral("See also"));
    page.addParagraph(QStringLiteral("calsetup-cli(1), calsim(1)"));
    return page.text();
}
} // namespace

int main(int argc, char **argv)
{
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
    if (ManPage::requested(argc, argv)) {
        std::fputs(manPage({simulate, quitWhenConnected}).toUtf8().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(Settings::applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(CALSETUP_VERSION));
    // Lets the desktop match the windows with the installed entry and its icon (on Wayland too).
    QGuiApplication::setDesktopFileName(QStringLiteral(CALSETUP_APP_ID));
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
