// calsim: a virtual calibrator for anyone who wants an instrument to talk to.

#include "platform/Clock.h"
#include "platform/ManPage.h"
#include "platform/TraceLine.h"
#include "sim/FaultKnobs.h"
#include "sim/HeardLines.h"
#include "sim/InstrumentMemory.h"
#include "sim/PtyFront.h"
#include "sim/VirtualCalibrator.h"
#include "sim/ethernet/EthernetFront.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

/// SIGINT and SIGTERM end the event loop, so the device is closed and the process exits cleanly.
void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] { app.quit(); });
    struct sigaction action{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}
#else
void quitOnSignals(QCoreApplication &) {}
#endif

int usageError(const QString &message)
{
    std::fprintf(stderr, "calsim: %s\n", qPrintable(message));
    return 1;
}

bool readNonNegative(const QCommandLineParser &parser, const QCommandLineOption &option, int *out,
                     QString *error)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < 0) {
        *error = QStringLiteral("--%1 needs a whole number of 0 or more").arg(option.names().constFirst());
        return false;
    }
    *out = value;
    return true;
}

/// The page the build installs as calsim(1).
QString manPage(const QString &description, const QList<QCommandLineOption> &options)
{
    ManPage page(QStringLiteral("calsim"), QStringLiteral("a virtual calibrator to try the setup utility on"));
    page.addSynopsis(QStringLiteral("[--serial] [--ethernet] [OPTIONS]"));
    page.addSection(QStringLiteral("Description"));
    page.addParagraph(description);
    page.addParagraph(
        QStringLiteral("Start calsetup-cli with --port and the device printed, or calsetup and choose it; "
                       "the fault options make the instrument slow, silent or noisy on purpose."));
    page.addSection(QStringLiteral("Options"));
    page.addItems(ManPage::helpOptionItems(false) + ManPage::optionItems(options));
    page.addSection(QStringLiteral("Exit status"));
    page.addParagraph(QStringLiteral("0 after an interrupt (SIGINT or SIGTERM), 1 for a usage error, 2 when the "
                                     "pseudo-terminal or the Ethernet sockets cannot be opened."));
    page.addSection(QStringLiteral("See also"));
    page.addParagraph(QStringLiteral("calsetup(1), calsetup-cli(1)"));
    return page.text();
}

/// The instrument's side of the trace, in the form the program's --trace prints its own.
void printHeard(const QByteArray &line, const QByteArray &reply)
{
    const QDateTime now = systemClock().currentDateTime();
    const bool silent = reply.isEmpty();
    const TraceLine lines[] = {
        {now, -1, QStringLiteral("calsim"), QStringLiteral("heard"), visibleWireText(line), QString(), false},
        {now, -1, QStringLiteral("calsim"), QStringLiteral("reply"), visibleWireText(reply),
         silent ? QStringLiteral("silent") : QString(), silent},
    };
    for (const TraceLine &l : lines)
        std::fprintf(stderr, "%s\n", qPrintable(TraceFormat::textLine(l)));
    std::fflush(stderr);
}

} // namespace

int main(int argc, char **argv)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A virtual calibrator. With --serial it serves on a pseudo-terminal and prints the "
        "device to open as its first line of output; with --ethernet it serves simulated Ethernet "
        "modules on loopback addresses and prints the discovery target and each module's address. "
        "Then it answers until interrupted."));
    parser.addHelpOption();
    const QCommandLineOption serial(QStringLiteral("serial"), QStringLiteral("Serve on a pseudo-terminal (RS-232)."));
    const QCommandLineOption model(QStringLiteral("model"),
                                   QStringLiteral("Instrument to pose as: %1.").arg(InstrumentMemory::knownModels().join(QStringLiteral(", "))),
                                   QStringLiteral("M"), InstrumentMemory::knownModels().constFirst());
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Wait MS milliseconds before each reply."), QStringLiteral("MS"));
    const QCommandLineOption pace(QStringLiteral("pace"), QStringLiteral("Send CPS characters a second (960 = 9600 baud)."), QStringLiteral("CPS"));
    const QCommandLineOption split(QStringLiteral("split"), QStringLiteral("Cut each reply into N pieces."), QStringLiteral("N"));
    const QCommandLineOption gap(QStringLiteral("gap"), QStringLiteral("Quiet of MS milliseconds between pieces."), QStringLiteral("MS"));
    const QCommandLineOption silent(QStringLiteral("silent"), QStringLiteral("Hear commands, answer nothing."));
    const QCommandLineOption garbage(QStringLiteral("garbage"), QStringLiteral("Put line noise (NUL and 8-bit bytes) before each reply."));
    const QCommandLineOption reboot(QStringLiteral("reboot-ms"), QStringLiteral("How long SYSTEM:REBOOT keeps the instrument deaf."), QStringLiteral("MS"));
    const QCommandLineOption noKv(QStringLiteral("no-kv-amplifier"), QStringLiteral("Pose as an instrument without the kV amplifier option."));
    const QCommandLineOption erase(QStringLiteral("erase-ms"), QStringLiteral("How long WXerase keeps the instrument deaf."), QStringLiteral("MS"));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Log every line heard and every reply on stderr."));
    const QCommandLineOption serialNumber(QStringLiteral("serial-number"), QStringLiteral("The serial number the instrument reports."), QStringLiteral("S"));
    const QCommandLineOption misstore(QStringLiteral("misstore"), QStringLiteral("Keep factor INDEX of RANGE off by one from what a write sends, while answering it as taken (a failing memory cell); repeat or separate with commas."), QStringLiteral("RANGE:INDEX"));
    const QCommandLineOption ethernet(QStringLiteral("ethernet"), QStringLiteral("Serve Ethernet-serial modules on 127.0.0.2, 127.0.0.3, ..."));
    const QCommandLineOption modules(QStringLiteral("modules"), QStringLiteral("How many Ethernet modules (default 1)."), QStringLiteral("N"));
    const QCommandLineOption discoveryPort(QStringLiteral("discovery-port"), QStringLiteral("UDP port of the discovery target on 127.0.0.1 (default: any free port)."), QStringLiteral("PORT"));
    const QCommandLineOption dataPort(QStringLiteral("data-port"), QStringLiteral("UDP data port of the modules (default: any free port)."), QStringLiteral("PORT"));
    // --help and the manual page list them in this order.
    const QList<QCommandLineOption> options{serial,       model,    delay,    pace,    split,         gap,
                                            silent,       garbage,  reboot,   noKv,    erase,         verbose,
                                            serialNumber, misstore, ethernet, modules, discoveryPort, dataPort};
    parser.addOptions(options);
    if (ManPage::requested(argc, argv)) {
        std::fputs(manPage(parser.applicationDescription(), options).toUtf8().constData(), stdout);
        return 0;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("calsim"));
    parser.process(app);
    // QT_LOGGING_RULES, when set, still has the last word.
    // The category is quiet by default (it also runs inside the windowed program).
    if (parser.isSet(verbose))
        QLoggingCategory::setFilterRules(QStringLiteral("calsetup.sim.debug=true"));

    const QString modelName = parser.value(model);
    if (!InstrumentMemory::isKnownModel(modelName))
        return usageError(QStringLiteral("unknown model %1 (known: %2)")
                              .arg(modelName, InstrumentMemory::knownModels().join(QStringLiteral(", "))));
    if (!parser.isSet(serial) && !parser.isSet(ethernet))
        return usageError(QStringLiteral("choose where to serve: --serial, --ethernet or both"));

    VirtualCalibrator calibrator(modelName);
    if (parser.isSet(verbose))
        HeardLines::setObserver(printHeard);
    FaultKnobs &knobs = calibrator.knobs();
    int rebootMs = calibrator.memory().rebootMs();
    int eraseMs = calibrator.memory().eraseMs();
    QString error;
    if (!readNonNegative(parser, delay, &knobs.replyDelayMs, &error)
        || !readNonNegative(parser, pace, &knobs.paceCharsPerSecond, &error)
        || !readNonNegative(parser, split, &knobs.splitPieces, &error)
        || !readNonNegative(parser, gap, &knobs.splitGapMs, &error)
        || !readNonNegative(parser, reboot, &rebootMs, &error)
        || !readNonNegative(parser, erase, &eraseMs, &error))
        return usageError(error);
    int moduleCount = 1;
    int discoveryPortNumber = 0;
    int dataPortNumber = 0;
    if (!readNonNegative(parser, modules, &moduleCount, &error)
        || !readNonNegative(parser, discoveryPort, &discoveryPortNumber, &error)
        || !readNonNegative(parser, dataPort, &dataPortNumber, &error))
        return usageError(error);
    if (moduleCount < 1 || moduleCount > 250 || discoveryPortNumber > 65535 || dataPortNumber > 65535)
        return usageError(QStringLiteral("--modules takes 1 to 250, the ports 0 to 65535"));
    if (parser.isSet(split) && knobs.splitPieces < 1)
        return usageError(QStringLiteral("--split needs 1 or more pieces"));
    knobs.silent = parser.isSet(silent);
    if (parser.isSet(garbage))
        knobs.garbage = FaultKnobs::defaultGarbage();
    calibrator.memory().setRebootMs(rebootMs);
    calibrator.memory().output().kvAmplifierFitted = !parser.isSet(noKv);
    calibrator.memory().setEraseMs(eraseMs);
    if (parser.isSet(serialNumber)) {
        const QByteArray number = parser.value(serialNumber).toLatin1();
        // The identification is one comma-separated line: the number may not break it.
        if (number.isEmpty() || number.contains(',') || number.contains('\r') || number.contains('\n'))
            return usageError(QStringLiteral("--serial-number takes letters and digits without commas"));
        calibrator.memory().setSerialNumber(number);
    }
    const QStringList misstored = parser.values(misstore).join(QLatin1Char(',')).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &cell : misstored) {
        const QStringList parts = cell.split(QLatin1Char(':'));
        bool rangeOk = false;
        bool indexOk = false;
        const int range = parts.value(0).toInt(&rangeOk);
        const int index = parts.size() == 2 ? parts.at(1).toInt(&indexOk) : -1;
        if (!rangeOk || !indexOk || range < 1 || index < 0)
            return usageError(QStringLiteral("--misstore takes RANGE:INDEX, e.g. 2:0, not %1").arg(cell));
        calibrator.memory().setMisstored(range, index);
    }

    PtyFront front(calibrator);
    if (parser.isSet(serial) && !front.open()) {
        std::fprintf(stderr, "calsim: %s\n", qPrintable(front.errorString()));
        return 2;
    }
    EthernetFront ethernetFront(calibrator);
    for (int n = 0; parser.isSet(ethernet) && n < moduleCount; ++n)
        ethernetFront.addModule();
    if (parser.isSet(ethernet) && !ethernetFront.open(quint16(discoveryPortNumber), quint16(dataPortNumber))) {
        std::fprintf(stderr, "calsim: %s\n", qPrintable(ethernetFront.errorString()));
        return 2;
    }
    quitOnSignals(app);

    if (parser.isSet(serial))
        std::printf("%s\n", qPrintable(front.devicePath()));
    if (parser.isSet(ethernet)) {
        // The discovery target goes into the setting "Ethernet_Discovery" or after --discovery.
        std::printf("discovery %s\n", qPrintable(ethernetFront.discoveryTarget()));
        for (const EthernetModuleSim *module : ethernetFront.modules())
            std::printf("module %s:%u MAC %s\n", qPrintable(module->address().toString()),
                        unsigned(module->dataPort()), qPrintable(module->behaviour().mac));
    }
    std::fflush(stdout);
    return app.exec();
}
