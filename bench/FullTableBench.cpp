// "Load from Calibrator" in the factor window over a pseudo-terminal paced like a 9600 baud line.

#include "Benches.h"
#include "CalsimChild.h"
#include "EventGapMeter.h"
#include "ExchangeTimeline.h"
#include "MeasuringClock.h"
#include "Stats.h"
#include "WireBound.h"
#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "gui/app/FormMain.h"
#include "gui/app/Main.h"
#include "gui/caldata/FormCalFactors.h"
#include "gui/app/TraceToFile.h"
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
constexpr double kRatioLimit = 1.05;
// The host's own time per exchange: the pauses beyond what was asked and its work between them.
constexpr double kHostLimitMs = 1.0;
// The communication log, open and recording, may add no more than this to a load.
constexpr double kLogLimitPercent = 2.0;
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

    const QList<WireExchange> onTheWire = fullReadOnTheWire();
    const WireBound bound = WireBound::of(onTheWire, kCharsPerSecond, kQuietBeforeMs);
    ExchangeTimeline timeline;
    ExchangeTimeline::Watch watch(timeline, context.context());
    EventGapMeter gaps;
    struct Runs
    {
        QList<double> elapsed;
        QList<double> stalls;
        QList<ExchangeTimeline::Split> splits;
        double medianElapsed() const { return Stats::median(elapsed); }
        double longestStall() const { return *std::max_element(stalls.begin(), stalls.end()); }
    };
    // One read through the window from a quiet, open port (the first command after the search
    // opens it): its elapsed time, its split and the window thread's longest gap.
    auto readOnce = [&](Runs &into) {
        onInstrument([&] {
            context.dvm()->Identify();
            measuring.clock.pause(kQuietBeforeMs);
        });
        timeline.start();
        gaps.start();
        window->Command_LoadAllCalFactors_Click();
        context.operations().waitUntilIdle();
        gaps.stop();
        timeline.stop();
        const ExchangeTimeline::Split split = timeline.split(onTheWire, kCharsPerSecond);
        into.elapsed << split.elapsedMs;
        into.splits << split;
        into.stalls << gaps.longestMs();
        return tableIsComplete(window->table());
    };
    // The read alone, with the communication log open (every exchange's record queued from the
    // instrument's thread and shown in batches), and with the trace file written as well; taken in
    // turn, so a machine that slows down meanwhile weighs on all three alike.
    Runs plain;
    Runs logged;
    Runs loggedToFile;
    int loggedLines = 0;
    for (int run = 0; run < options.tableRuns; ++run) {
        bool complete = readOnce(plain);
        {
            FormCommunicationLog log(prompts);
            log.show();
            complete = readOnce(logged) && complete;
            TraceToFile file;
            file.setOn(true);
            complete = readOnce(loggedToFile) && complete;
            log.log().flush();
            loggedLines = log.log().rowCount();
        }
        if (!complete) {
            group.figures << Figure::unavailable(QStringLiteral("elapsed / bound"),
                                                 QStringLiteral("run %1 did not read the whole table").arg(run + 1),
                                                 ratioTarget);
            delete window;
            return group;
        }
    }
    delete window;

    const double median = plain.medianElapsed();
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
                                  plain.longestStall(), QStringLiteral("ms"), kStallLimitMs, 1, true);
    const ExchangeTimeline::Split split = ExchangeTimeline::Split::medianOf(plain.splits);
    group.figures << Figure::upTo(QStringLiteral("the host's share per exchange"), split.hostMs(), QStringLiteral("ms"),
                                  kHostLimitMs, 2, true);
    group.figures << Figure::info(QStringLiteral("the line's and instrument's share per exchange"),
                                  QString::number(split.lineAndInstrumentMs, 'f', 2) + QStringLiteral(" ms"),
                                  QStringLiteral("host: %1 ms pauses late, %2 ms between exchanges")
                                      .arg(split.pauseLateMs, 0, 'f', 2)
                                      .arg(split.betweenMs, 0, 'f', 2));
    auto addedBy = [&](const QString &name, const Runs &runs, const QString &note) {
        group.figures << Figure::upTo(name, 100.0 * (runs.medianElapsed() / median - 1.0), QStringLiteral("%"),
                                      kLogLimitPercent, 1, true);
        group.figures << Figure::info(QStringLiteral("  elapsed"), ms(runs.medianElapsed()),
                                      QStringLiteral("ratio %1, longest gap %2 ms%3")
                                          .arg(runs.medianElapsed() / bound.totalMs(), 0, 'f', 3)
                                          .arg(runs.longestStall(), 0, 'f', 1)
                                          .arg(note));
    };
    addedBy(QStringLiteral("the communication log open: time added"), logged,
            QStringLiteral(", %1 lines in the log").arg(loggedLines));
    addedBy(QStringLiteral("the log open and the trace file written: time added"), loggedToFile, QString());
    return group;
}
