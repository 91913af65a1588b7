// One short exchange over each interface, through the driver as every window sends.

#include "Benches.h"
#include "CalsimChild.h"
#include "MeasuringClock.h"
#include "Stats.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/SerialPortControl.h"
#include "session/InstrumentSession.h"
#include "sim/PtyFront.h"
#include "sim/VirtualCalibrator.h"
#include "sim/ethernet/EthernetFront.h"
#include "sim/usb/SimUsbBridge.h"

namespace {

constexpr double kMedianLimitMs = 2.0;
const QString kLatencyTarget = QStringLiteral("< 2.00 ms");
// Longer than the 20 ms pause the USB route makes after writing a command.
constexpr int kLateReplyMs = 30;

/// Runs Identify n times; latency = elapsed less the pacing pause the driver made (before sending,
/// or on USB right after the write).
QList<Figure> measure(const QString &where, IDVM &dvm, MeasuringClock &clock, int n, bool withTarget,
                      const QString &withPause = QStringLiteral("with the pause before it"))
{
    // The first exchange opens the port (with its settle pause); it is not timed.
    dvm.Identify();
    QList<double> latency;
    QList<double> total;
    int wrong = 0;
    for (int i = 0; i < n; ++i) {
        clock.resetPauses();
        QElapsedTimer timer;
        timer.start();
        const QString id = dvm.Identify();
        const double ms = elapsedMs(timer);
        if (!dvm.CheckIdentity(id))
            ++wrong;
        total << ms;
        latency << ms - clock.pausedMs();
    }
    const QString median = where + QStringLiteral(": latency, median");
    if (wrong)
        return {Figure::unavailable(median, QStringLiteral("%1 of %2 answers were not the identity").arg(wrong).arg(n),
                                    withTarget ? kLatencyTarget : QString())};
    const double m = Stats::median(latency);
    return {withTarget ? Figure::upTo(median, m, QStringLiteral("ms"), kMedianLimitMs, 2)
                       : Figure::info(median, QString::number(m, 'f', 2) + QStringLiteral(" ms")),
            Figure::info(where + QStringLiteral(": latency, 99th percentile"),
                         QString::number(Stats::percentile(latency, 99), 'f', 2) + QStringLiteral(" ms")),
            Figure::info(where + QStringLiteral(": ") + withPause + QStringLiteral(", median"),
                         QString::number(Stats::median(total), 'f', 2) + QStringLiteral(" ms"),
                         QStringLiteral("20 ms pause required back to back"))};
}

/// The driver on RS-232 through port 1, bound to the device.
void connectSerial(InstrumentSession &context, const QString &device)
{
    context.context().portTable().setExplicitOnly(true);
    context.context().portTable().bind(1, device);
    context.setDvm(CreateDVM(QStringLiteral("5200"), context.context()));
    context.connect(Endpoint::serialPort(1));
}

/// The driver on Ethernet, sending to the module at address:port.
void connectEthernet(InstrumentSession &context, const QString &address, quint16 port)
{
    context.setDvm(CreateDVM(QStringLiteral("5200"), context.context()));
    context.connect(Endpoint::ethernet(address, port));
}

FigureGroup ethernetExchange(const BenchOptions &options, const QString &calsimPath)
{
    FigureGroup group;
    group.title = QStringLiteral("One short exchange (*IDN?) over loopback UDP, to a simulated Ethernet-serial module");
    group.details =
        QStringLiteral("%1 exchanges each through the driver's SendString; latency as above").arg(options.exchanges);
    {
        ScopedMeasuringClock measuring;
        VirtualCalibrator calibrator(QStringLiteral("5241"));
        EthernetFront front(calibrator);
        EthernetModuleSim &module = front.addModule();
        if (!front.open()) {
            group.figures << Figure::unavailable(QStringLiteral("calibrator in this process"), front.errorString(),
                                                 kLatencyTarget);
        } else {
            InstrumentSession context;
            connectEthernet(context, module.address().toString(), module.dataPort());
            group.figures << measure(QStringLiteral("calibrator in this process"), *context.dvm(), measuring.clock,
                                     options.exchanges, true);
        }
    }
    {
        ScopedMeasuringClock measuring;
        CalsimChild calsim;
        // Its lines: "discovery 127.0.0.1:PORT", then "module 127.0.0.2:PORT MAC ...".
        const bool started = calsim.start(
            calsimPath, {QStringLiteral("--ethernet"), QStringLiteral("--model"), QStringLiteral("5241")}, 2);
        const QString module = calsim.lineAfter(QStringLiteral("module ")).section(QLatin1Char(' '), 0, 0);
        const QString address = module.section(QLatin1Char(':'), 0, 0);
        const quint16 port = quint16(module.section(QLatin1Char(':'), 1, 1).toUInt());
        if (!started || address.isEmpty() || port == 0) {
            group.figures << Figure::unavailable(
                QStringLiteral("calsim in its own process"),
                started ? QStringLiteral("calsim named no module") : calsim.errorString(), kLatencyTarget);
        } else {
            InstrumentSession context;
            connectEthernet(context, address, port);
            group.figures << measure(QStringLiteral("calsim in its own process"), *context.dvm(), measuring.clock,
                                     options.exchanges, true);
        }
    }
    return group;
}

FigureGroup serialExchange(const BenchOptions &options, const QString &calsimPath)
{
    FigureGroup group;
    group.title = QStringLiteral("One short exchange (*IDN?) over a pseudo-terminal, no wire pacing");
    group.details = QStringLiteral("%1 exchanges each through the driver's SendString; latency = the exchange less the "
                                   "pause the protocol asks before each command")
                        .arg(options.exchanges);
    {
        ScopedMeasuringClock measuring;
        VirtualCalibrator calibrator(QStringLiteral("5241"));
        PtyFront front(calibrator);
        if (!front.open()) {
            group.figures << Figure::unavailable(QStringLiteral("calibrator in this process"), front.errorString(),
                                                 kLatencyTarget);
        } else {
            InstrumentSession context;
            connectSerial(context, front.devicePath());
            group.figures << measure(QStringLiteral("calibrator in this process"), *context.dvm(), measuring.clock,
                                     options.exchanges, true);
        }
    }
    {
        ScopedMeasuringClock measuring;
        CalsimChild calsim;
        if (!calsim.start(calsimPath,
                          {QStringLiteral("--serial"), QStringLiteral("--model"), QStringLiteral("5241")})) {
            group.figures << Figure::unavailable(QStringLiteral("calsim in its own process"), calsim.errorString(),
                                                 kLatencyTarget);
        } else {
            InstrumentSession context;
            connectSerial(context, calsim.devicePath());
            group.figures << measure(QStringLiteral("calsim in its own process"), *context.dvm(), measuring.clock,
                                     options.exchanges, true);
        }
    }
    return group;
}

FigureGroup usbExchange(const BenchOptions &options)
{
    FigureGroup group;
    group.title = QStringLiteral("One short exchange (*IDN?) over the simulated USB bridge");
    group.details =
        QStringLiteral("%1 exchanges each through the driver's SendString (open the bridge, write, gather "
                       "the reply, close); latency as above, the pause being the one the USB route makes right after "
                       "the write; the bridge library lives in the calling process, so there is no calsim figure")
            .arg(options.exchanges);
    ScopedMeasuringClock measuring;
    VirtualCalibrator calibrator(QStringLiteral("5241"));
    // The bridge library in this process, as in --simulate: there is no second process to take.
    auto bridge = std::make_shared<SimUsbBridge>();
    bridge->addDevice(SimUsbBridge::kBuiltInDescription, SimUsbBridge::kBuiltInSerialNumber, &calibrator);
    InstrumentSession context;
    context.context().usb().setBridge(bridge);
    context.setDvm(CreateDVM(QStringLiteral("5200"), context.context()));
    context.connect(Endpoint::usb(QString::fromLatin1(SimUsbBridge::kBuiltInSerialNumber)));
    group.figures << measure(QStringLiteral("calibrator in this process"), *context.dvm(), measuring.clock,
                             options.exchanges, true, QStringLiteral("with the pause after the write"));

    // The USB route writes before its pause, so an answer in no time is already waiting when the
    // gathering starts. An answer that comes after the pause shows whether the wait returns on
    // its arrival or only at the next look.
    calibrator.knobs().replyDelayMs = kLateReplyMs;
    QList<double> afterArrival;
    int wrong = 0;
    for (int i = 0; i < options.exchanges; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!context.dvm()->CheckIdentity(context.dvm()->Identify()))
            ++wrong;
        afterArrival << elapsedMs(timer) - kLateReplyMs;
    }
    const QString name = QStringLiteral("answer %1 ms late: the exchange less those %1 ms, median").arg(kLateReplyMs);
    if (wrong) {
        group.figures << Figure::unavailable(
            name, QStringLiteral("%1 of %2 answers were not the identity").arg(wrong).arg(options.exchanges));
    } else {
        const QString note = QStringLiteral("includes the calibrator's timer firing late");
        group.figures << Figure::info(
            name, QString::number(Stats::median(afterArrival), 'f', 2) + QStringLiteral(" ms"), note)
                      << Figure::info(QStringLiteral("answer %1 ms late: 99th percentile").arg(kLateReplyMs),
                                      QString::number(Stats::percentile(afterArrival, 99), 'f', 2)
                                          + QStringLiteral(" ms"));
    }
    return group;
}

} // namespace

QList<FigureGroup> benchShortExchanges(const BenchOptions &options, const QString &calsimPath)
{
    return {serialExchange(options, calsimPath), ethernetExchange(options, calsimPath), usbExchange(options)};
}
