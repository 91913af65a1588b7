// Every long operation against a paced pseudo-terminal, each against its wire bound, with the time
// beyond the bound split between the host and the line with the instrument on it.

#include "Benches.h"
#include "CalsimChild.h"
#include "ExchangeTimeline.h"
#include "MeasuringClock.h"
#include "Stats.h"
#include "WireReplay.h"
#include "caldata/CalFactorOperations.h"
#include "caldata/CalFactorTable.h"
#include "caldata/QuickSetup.h"
#include "caldata/SpecFile.h"
#include "caldata/SpecOperations.h"
#include "caldata/SpecTable.h"
#include "instrument/IDVM.h"
#include "procedures/CalibrationHistory.h"
#include "session/InstrumentSession.h"

#include <QTemporaryDir>

#include <algorithm>
#include <type_traits>

namespace {

constexpr int kCharsPerSecond = 960; // 9600 baud, 8N1
constexpr double kRatioLimit = 1.05;
constexpr double kHostLimitMs = 1.0;
const QString kModel = QStringLiteral("5241");
// Each run starts this long after the previous command, so its first pause is the short one.
constexpr int kQuietBeforeMs = 250;

/// Every cell of source with text, pending in a table of the same kind: a whole table to write.
template <typename Table>
void copyAsPending(const Table &source, Table &target)
{
    for (int row = 1; row < source.rowCount(); ++row) {
        if constexpr (std::is_same_v<Table, SpecTable>) {
            target.ensureRow(row);
            target.setVersion(source.version());
        }
        for (int column = 0; column < source.columnCount(); ++column) {
            const QString text = source.text(row, column);
            const bool toWrite = column > 0 && !text.isEmpty();
            target.setCell(row, column, text,
                           toWrite ? CellTable::CellState::Pending : CellTable::CellState::InStep);
        }
    }
}

/// One long operation: what it needs first (untimed) and the timed part; both say whether they
/// did their whole job.
struct LongOperation
{
    QString name;
    std::function<bool(InstrumentSession &, BenchPrompts &)> prepare;
    std::function<bool(InstrumentSession &, BenchPrompts &)> run;
};

struct Measured
{
    QList<ExchangeTimeline::Split> splits;
    QString failure;
};

/// Runs an operation `runs` times, each against a virtual calibrator of its own, fresh from its
/// start, so every run finds the same instrument.
Measured measure(const LongOperation &operation, int runs, const QString &calsimPath)
{
    Measured measured;
    for (int run = 0; run < runs && measured.failure.isEmpty(); ++run) {
        CalsimChild calsim;
        if (!calsim.startPacedSerial(calsimPath, kModel, kCharsPerSecond)) {
            measured.failure = calsim.errorString();
            break;
        }
        ScopedMeasuringClock measuring;
        ExchangeTimeline timeline;
        BenchPrompts prompts;
        InstrumentSession session;
        // From before the first command: the replay must hear all the calibrator heard.
        ExchangeTimeline::Watch watch(timeline, session.context());
        session.context().portTable().setExplicitOnly(true);
        session.context().portTable().bind(1, calsim.devicePath());
        session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
        session.connect(Endpoint::serialPort(1));
        session.dvm()->Identify();
        if (operation.prepare && !operation.prepare(session, prompts)) {
            measured.failure = QStringLiteral("could not prepare run %1").arg(run + 1);
            break;
        }
        measuring.clock.pause(kQuietBeforeMs);
        timeline.start();
        const bool whole = operation.run(session, prompts);
        timeline.stop();
        if (!whole) {
            measured.failure = QStringLiteral("run %1 did not do its whole job").arg(run + 1);
            break;
        }
        const ExchangeTimeline::Split split = timeline.split(replayOnTheWire(timeline, kModel), kCharsPerSecond);
        measured.splits << split;
    }
    return measured;
}

QList<LongOperation> longOperations(const QString &specFile)
{
    // The instrument's own tables, read before the timed part: what the writes put back.
    auto factors = std::make_shared<CalFactorTable>();
    auto specs = std::make_shared<SpecTable>();
    auto readFactors = [factors](InstrumentSession &s, BenchPrompts &p) {
        return CalFactorOperations(*factors, s.channel(), p).loadFromCalibrator() == OperationOutcome::Done;
    };
    auto readSpecs = [specs](InstrumentSession &s, BenchPrompts &p) {
        return SpecOperations(*specs, s.channel(), p).loadFromMeter() == OperationOutcome::Done;
    };
    auto saveFactors = [factors](bool verify) {
        return [factors, verify](InstrumentSession &s, BenchPrompts &p) {
            CalFactorTable table;
            copyAsPending(*factors, table);
            CalFactorOperations operations(table, s.channel(), p);
            operations.setVerifyWrites(verify);
            return operations.saveToCalibrator().complete();
        };
    };
    QList<LongOperation> list;
    list << LongOperation{QStringLiteral("factor load (149 ranges)"), {}, readFactors};
    list << LongOperation{QStringLiteral("factor save, read back (the default)"), readFactors, saveFactors(true)};
    list << LongOperation{QStringLiteral("factor save, not read back"), readFactors, saveFactors(false)};
    list << LongOperation{QStringLiteral("specification read"), {}, readSpecs};
    list << LongOperation{QStringLiteral("specification write"), readSpecs, [specs](InstrumentSession &s, BenchPrompts &p) {
                              SpecTable table;
                              copyAsPending(*specs, table);
                              return SpecOperations(table, s.channel(), p).saveToMeter().complete();
                          }};
    list << LongOperation{QStringLiteral("calibration history"), {}, [](InstrumentSession &s, BenchPrompts &) {
                              return CalibrationHistory::read(s.channel()).dateLineCount() > 0;
                          }};
    list << LongOperation{
        QStringLiteral("Quick Setup (clock, password, specifications)"),
        [specs, specFile, readSpecs](InstrumentSession &s, BenchPrompts &p) {
            return readSpecs(s, p) && SpecFile::save(*specs, specFile);
        },
        [specFile](InstrumentSession &s, BenchPrompts &p) {
            QuickSetupChoices choices;
            choices.setDate = true;
            choices.setPassword = true;
            choices.password = QStringLiteral("1234");
            choices.loadSpecs = true;
            choices.specFile = specFile;
            QuickSetup setup(s.channel(), p);
            // As the program runs it: the specifications kept before the first password.
            setup.setRecording(QStringLiteral("Quick Setup"), s.connectionWords());
            return setup.run(choices).completed();
        }};
    return list;
}

QString ms(double value)
{
    return QString::number(value, 'f', 0) + QStringLiteral(" ms");
}

} // namespace

FigureGroup benchLongOperations(const BenchOptions &options, const QString &calsimPath)
{
    FigureGroup group;
    group.title = QStringLiteral("Every long operation, pseudo-terminal at %1 characters a second").arg(kCharsPerSecond);
    group.details = QStringLiteral("median of %1 runs each, each against calsim --pace 960 of its own, through the "
                                   "operations (no window); bound = pauses asked for + the characters of every "
                                   "command and awaited reply; shares per exchange")
                        .arg(options.tableRuns);
    const QString ratioTarget = QStringLiteral("<= %1").arg(kRatioLimit, 0, 'f', 2);
    QTemporaryDir folder;
    const QString specFile = folder.filePath(QStringLiteral("bench.spec"));
    QHash<QString, double> medians;
    for (const LongOperation &operation : longOperations(specFile)) {
        const Measured measured = measure(operation, options.tableRuns, calsimPath);
        if (!measured.failure.isEmpty()) {
            group.figures << Figure::unavailable(operation.name + QStringLiteral(": elapsed / bound"), measured.failure,
                                                 ratioTarget);
            continue;
        }
        const ExchangeTimeline::Split split = ExchangeTimeline::Split::medianOf(measured.splits);
        medians[operation.name] = split.elapsedMs;
        group.figures << Figure::info(operation.name + QStringLiteral(": elapsed"), ms(split.elapsedMs),
                                      QStringLiteral("bound %1 (%2 exchanges, %3 of pauses)")
                                          .arg(ms(split.boundMs))
                                          .arg(split.exchanges)
                                          .arg(ms(split.askedPauseMs)));
        group.figures << Figure::upTo(operation.name + QStringLiteral(": elapsed / bound"), split.ratio(), QString(),
                                      kRatioLimit, 3, false);
        group.figures << Figure::upTo(operation.name + QStringLiteral(": the host's share"), split.hostMs(),
                                      QStringLiteral("ms"), kHostLimitMs, 2, true);
        group.figures << Figure::info(operation.name + QStringLiteral(": the line's and instrument's share"),
                                      QString::number(split.lineAndInstrumentMs, 'f', 2) + QStringLiteral(" ms"),
                                      QStringLiteral("host: %1 ms pauses late, %2 ms between exchanges")
                                          .arg(split.pauseLateMs, 0, 'f', 2)
                                          .arg(split.betweenMs, 0, 'f', 2));
    }
    const QString withReadBack = QStringLiteral("factor save, read back (the default)");
    const QString without = QStringLiteral("factor save, not read back");
    if (medians.contains(withReadBack) && medians.contains(without)) {
        group.figures << Figure::info(QStringLiteral("cost of the read-back"), ms(medians[withReadBack] - medians[without]),
                                      QStringLiteral("%1 % of the save without it")
                                          .arg(100.0 * (medians[withReadBack] / medians[without] - 1.0), 0, 'f', 0));
    }
    return group;
}
