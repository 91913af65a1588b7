// "Save To Calibrator" of every factor, with and without reading each written range back, over a
// pseudo-terminal paced like a 9600 baud line.

#include "Benches.h"
#include "CalsimChild.h"
#include "MeasuringClock.h"
#include "Stats.h"
#include "WireBound.h"
#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "instrument/InstrumentChannel.h"
#include "instrument/InstrumentDriver.h"
#include "session/InstrumentSession.h"
#include "sim/VirtualCalibrator.h"

namespace {

constexpr int kCharsPerSecond = 960; // 9600 baud, 8N1
constexpr double kRatioLimit = 1.10;
const QString kModel = QStringLiteral("5241");
constexpr int kQuietBeforeMs = 250;

/// The channel a save goes through, noting every command it sends.
class CommandLog : public InstrumentChannel
{
public:
    explicit CommandLog(InstrumentChannel &inner) : m_inner(inner) {}
    ExchangeReply exchange(const ExchangeRequest &request) override
    {
        commands << request.command;
        return m_inner.exchange(request);
    }
    QStringList commands;

private:
    InstrumentChannel &m_inner;
};

/// The commands as they went, with the replies an instrument gives them, on the wire.
QList<WireExchange> onTheWire(const QStringList &commands)
{
    VirtualCalibrator reference(kModel);
    QList<WireExchange> exchanges;
    for (const QString &command : commands) {
        const QByteArray line = command.toLatin1();
        exchanges << WireExchange{line.size() + 1, reference.handleLine(line).size()};
    }
    return exchanges;
}

struct SaveRun
{
    double elapsedMs = 0;
    WireBound bound;
    int cells = 0;
    bool complete = false;
};

} // namespace

FigureGroup benchFactorSave(const BenchOptions &options, const QString &calsimPath)
{
    FigureGroup group;
    group.title = QStringLiteral("Save To Calibrator of every factor, pseudo-terminal at %1 characters a second")
                      .arg(kCharsPerSecond);
    const QString ratioTarget = QStringLiteral("<= %1").arg(kRatioLimit, 0, 'f', 2);
    CalsimChild calsim;
    if (!calsim.startPacedSerial(calsimPath, kModel, kCharsPerSecond)) {
        group.figures << Figure::unavailable(QStringLiteral("elapsed / bound"), calsim.errorString(), ratioTarget);
        return group;
    }
    ScopedMeasuringClock measuring;
    BenchPrompts prompts;
    InstrumentSession context;
    context.context().portTable().setExplicitOnly(true);
    context.context().portTable().bind(1, calsim.devicePath());
    context.setDvm(CreateDVM(QStringLiteral("5200"), context.context()));
    context.connect(Endpoint::serialPort(1));

    // The instrument's own table, read once, written back whole: every factor pending.
    CalFactorTable read;
    if (CalFactorOperations(read, context.channel(), prompts).loadFromCalibrator() != OperationOutcome::Done) {
        group.figures << Figure::unavailable(QStringLiteral("elapsed / bound"),
                                             QStringLiteral("the table could not be read"), ratioTarget);
        return group;
    }
    auto save = [&](bool verify) {
        CalFactorTable table;
        for (int row = 1; row < read.rowCount(); ++row) {
            for (int column = 0; column < read.columnCount(); ++column)
                table.setCell(row, column, read.text(row, column),
                              column > 0 && !read.text(row, column).isEmpty() ? CalFactorTable::CellState::Pending
                                                                              : CalFactorTable::CellState::InStep);
        }
        CommandLog log(context.channel());
        CalFactorOperations operations(table, log, prompts);
        operations.setVerifyWrites(verify);
        context.dvm()->Identify();
        measuring.clock.pause(kQuietBeforeMs);
        QElapsedTimer timer;
        timer.start();
        const TableOperation::SaveSummary summary = operations.saveToCalibrator();
        SaveRun run;
        run.elapsedMs = elapsedMs(timer);
        run.bound = WireBound::of(onTheWire(log.commands), kCharsPerSecond, kQuietBeforeMs);
        run.cells = summary.accepted;
        run.complete = summary.complete();
        return run;
    };
    QList<double> verified;
    QList<double> unverified;
    SaveRun last[2];
    for (int run = 0; run < options.tableRuns; ++run) {
        for (bool verify : {true, false}) {
            const SaveRun result = save(verify);
            if (!result.complete) {
                group.figures << Figure::unavailable(QStringLiteral("elapsed / bound"),
                                                     QStringLiteral("a save did not write every factor"), ratioTarget);
                return group;
            }
            (verify ? verified : unverified) << result.elapsedMs;
            last[verify ? 0 : 1] = result;
        }
    }
    group.details = QStringLiteral("median of %1 runs each; %2 factors; against calsim --pace 960 in a process of its "
                                   "own, through the table operations (no window)")
                        .arg(options.tableRuns)
                        .arg(last[0].cells);
    for (int i = 0; i < 2; ++i) {
        const double median = Stats::median(i == 0 ? verified : unverified);
        const WireBound &bound = last[i].bound;
        const QString which = i == 0 ? QStringLiteral("read back (the default)") : QStringLiteral("not read back");
        group.figures << Figure::info(
            QStringLiteral("%1: elapsed, median").arg(which), QString::number(median, 'f', 0) + QStringLiteral(" ms"),
            QStringLiteral("bound %1 ms (%2 characters)").arg(bound.totalMs(), 0, 'f', 0).arg(bound.characters));
        group.figures << Figure::upTo(QStringLiteral("%1: elapsed / bound").arg(which), median / bound.totalMs(),
                                      QString(), kRatioLimit, 3, false);
    }
    group.figures << Figure::info(
        QStringLiteral("cost of the read-back"),
        QString::number(Stats::median(verified) - Stats::median(unverified), 'f', 0) + QStringLiteral(" ms"),
        QStringLiteral("%1 % of the save without it")
            .arg(100.0 * (Stats::median(verified) / Stats::median(unverified) - 1.0), 0, 'f', 0));
    return group;
}
