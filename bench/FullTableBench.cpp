// "Load from Calibrator" in the factor window over a pseudo-terminal paced like a 9600 baud line.

#include "Benches.h"
#include "CalsimChild.h"
#include "EventGapMeter.h"
#include "MeasuringClock.h"
#include "Stats.h"
#include "WireBound.h"
#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "gui/app/FormMain.h"
#include "gui/app/Main.h"
#include "gui/caldata/FormCalFactors.h"
#include "gui/records/FormCommunicationLog.h"
#include "instrument/IDVM.h"
#include "records/TraceLog.h"
#include "session/InstrumentSession.h"
#include "sim/RangeLayout.h"
#include "sim/VirtualCalibrator.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>

namespace {

constexpr int kCharsPerSecond = 960; // 9600 baud, 8N1
constexpr double kRatioLimit = 1.10;
// A click or a repaint that waits longer than this feels like a hang.
constexpr double kStallLimitMs = 50;
const QString kModel = QStringLiteral("5241");
// The timed read starts this long after the previous command, so its first pause is the short one.
constexpr int kQuietBeforeMs = 250;

QString printCommand(int range)
{
    return QStringLiteral("CAL:PRINT %1").arg(range, 3, 10, QLatin1Char('0'));
}

/// The commands of a full read and the instrument's replies as they go over the wire.
QList<WireExchange> fullReadOnTheWire()
{
    VirtualCalibrator reference(kModel);
    QList<WireExchange> exchanges;
    for (int range = CalFactorTable::kFirstRange; range <= CalFactorTable::kLastRange; ++range) {
        const QByteArray command = printCommand(range).toLatin1();
        exchanges << WireExchange{command.size() + 1, reference.handleLine(command).size()};
    }
    return exchanges;
}

/// True when every row holds exactly the instrument's factors.
bool tableIsComplete(const CalFactorTable &table)
{
    VirtualCalibrator calibrator(kModel);
    for (int range = CalFactorTable::kFirstRange; range <= CalFactorTable::kLastRange; ++range) {
        const QList<qint32> factors = calibrator.memory().factors(range);
        for (int column = 1; column < table.columnCount(); ++column) {
            const QString expected = column <= factors.size() ? QString::number(factors.at(column - 1)) : QString();
            if (table.text(range, column) != expected)
                return false;
        }
    }
    return true;
}

QString ms(double value)
{
    return QString::number(value, 'f', 0) + QStringLiteral(" ms");
}

} // namespace

FigureGroup benchFullTable(const BenchOptions &options, const QString &calsimPath)
{
    FigureGroup group;
    group.title = QStringLiteral("Load from Calibrator, ranges 1-149, pseudo-terminal at %1 characters a second")
                      .arg(kCharsPerSecond);
    const QString ratioTarget = QStringLiteral("<= %1").arg(kRatioLimit, 0, 'f', 2);

    // The calibrator runs in a process of its own, as an instrument would.
    CalsimChild calsim;
    if (!calsim.startPacedSerial(calsimPath, kModel, kCharsPerSecond)) {
        group.figures << Figure::unavailable(QStringLiteral("elapsed / bound"), calsim.errorString(), ratioTarget);
        return group;
    }
    const QString device = calsim.devicePath();

    ScopedMeasuringClock measuring;
    BenchPrompts prompts;
    InstrumentSession context;
    context.context().portTable().setExplicitOnly(true);
    context.context().portTable().bind(1, device);
    // The windowed program's own start: the main window finds the calibrator and feeds its
    // activity indicator during every wait.
    std::unique_ptr<FormMain> main = Main(context, prompts);
    if (!main) {
        group.figures << Figure::unavailable(QStringLiteral("elapsed / bound"),
                                             QStringLiteral("the calibrator was not found"), ratioTarget);
        return group;
    }
    // As the program runs once started: the instrument's work on a thread of its own, so what
    // the bench does with the instrument itself is an operation too.
    context.useWorkThread();
    auto onInstrument = [&context](std::function<void()> work) {
        QObject owner;
        OperationQueue::Request request;
        request.name = QStringLiteral("bench");
        request.work = [work = std::move(work)](OperationControl &) { work(); };
        context.operations().submit(&owner, std::move(request));
        context.operations().waitUntilIdle();
    };
    QPointer<FormCalFactors> window = new FormCalFactors(context, prompts, [](const QString &) {});
    window->show();
    QCoreApplication::processEvents();

    const WireBound bound = WireBound::of(fullReadOnTheWire(), kCharsPerSecond, kQuietBeforeMs);
    QList<double> elapsed;
    QList<double> paused;
    QList<double> stalls;
    EventGapMeter gaps;
    // One read through the window from a quiet, open port (the first command after the search
    // opens it); its elapsed time and the window thread's longest gap.
    auto readOnce = [&](QList<double> &elapsedInto, QList<double> &stallsInto) {
        onInstrument([&] {
            context.dvm()->Identify();
            measuring.clock.pause(kQuietBeforeMs);
            measuring.clock.resetPauses();
        });
        QElapsedTimer timer;
        timer.start();
        gaps.start();
        window->Command_LoadAllCalFactors_Click();
        context.operations().waitUntilIdle();
        gaps.stop();
        elapsedInto << elapsedMs(timer);
        stallsInto << gaps.longestMs();
    };
    for (int run = 0; run < options.tableRuns; ++run) {
        readOnce(elapsed, stalls);
        paused << measuring.clock.pausedMs();
        if (!tableIsComplete(window->table())) {
            group.figures << Figure::unavailable(QStringLiteral("elapsed / bound"),
                                                 QStringLiteral("run %1 did not read the whole table").arg(run + 1),
                                                 ratioTarget);
            delete window;
            return group;
        }
    }

    // The same read with the communication log open: every exchange's record queued from the
    // instrument's thread and shown in batches.
    QList<double> loggedElapsed;
    QList<double> loggedStalls;
    auto *log = new FormCommunicationLog(prompts);
    log->show();
    for (int run = 0; run < options.tableRuns; ++run)
        readOnce(loggedElapsed, loggedStalls);
    log->log().flush();
    const int loggedLines = log->log().rowCount();
    delete log;
    delete window;

    // The same read with no window at all: what the core costs on its own.
    QList<double> coreElapsed;
    for (int run = 0; run < options.tableRuns; ++run) {
        onInstrument([&] {
            CalFactorTable table;
            CalFactorOperations operations(table, context.channel(), prompts);
            context.dvm()->Identify();
            measuring.clock.pause(kQuietBeforeMs);
            QElapsedTimer timer;
            timer.start();
            operations.loadFromCalibrator();
            coreElapsed << elapsedMs(timer);
        });
    }

    const double median = Stats::median(elapsed);
    group.details = QStringLiteral("median of %1 runs; %2 characters in %3 exchanges; the Calibration Factors window "
                                   "beside the main window, against calsim --pace 960 in a process of its own")
                        .arg(options.tableRuns)
                        .arg(bound.characters)
                        .arg(CalFactorTable::kLastRange);
    group.figures << Figure::info(QStringLiteral("elapsed, median"), ms(median));
    group.figures << Figure::info(QStringLiteral("wire-time bound"), ms(bound.totalMs()),
                                  QStringLiteral("%1 ms of characters + %2 ms of pauses (%3 x 5 ms, %4 x 20 ms)")
                                      .arg(bound.wireMs, 0, 'f', 0)
                                      .arg(bound.pauseMs, 0, 'f', 0)
                                      .arg(bound.shortPauses)
                                      .arg(bound.longPauses));
    group.figures << Figure::upTo(QStringLiteral("elapsed / bound"), median / bound.totalMs(), QString(), kRatioLimit,
                                  3, false);
    group.figures << Figure::upTo(QStringLiteral("longest time the window thread handled no event"),
                                  *std::max_element(stalls.begin(), stalls.end()), QStringLiteral("ms"), kStallLimitMs,
                                  1, true);
    group.figures << Figure::info(QStringLiteral("pauses as measured, median"), ms(Stats::median(paused)),
                                  QStringLiteral("%1 ms asked for").arg(bound.pauseMs, 0, 'f', 0));
    group.figures << Figure::info(QStringLiteral("elapsed with the communication log open, median"),
                                  ms(Stats::median(loggedElapsed)),
                                  QStringLiteral("ratio %1, %2 lines logged, longest gap %3 ms")
                                      .arg(Stats::median(loggedElapsed) / bound.totalMs(), 0, 'f', 3)
                                      .arg(loggedLines)
                                      .arg(*std::max_element(loggedStalls.begin(), loggedStalls.end()), 0, 'f', 1));
    group.figures << Figure::info(
        QStringLiteral("the same without windows (the core alone), median"), ms(Stats::median(coreElapsed)),
        QStringLiteral("ratio %1").arg(Stats::median(coreElapsed) / bound.totalMs(), 0, 'f', 3));
    group.figures << Figure::info(QStringLiteral("time beyond the bound per exchange"),
                                  QString::number((median - bound.totalMs()) / CalFactorTable::kLastRange, 'f', 2)
                                      + QStringLiteral(" ms"));
    return group;
}
