// The serial search over sixteen pseudo-terminals, each with a virtual calibrator behind it.

#include "Benches.h"
#include "MeasuringClock.h"
#include "Stats.h"
#include "instrument/IDVM.h"
#include "instrument/serial/PortTable.h"
#include "locate/SerialSearch.h"
#include "session/InstrumentSession.h"
#include "sim/PtyFront.h"
#include "sim/VirtualCalibrator.h"

#include <memory>
#include <vector>

namespace {

constexpr double kLimitMs = 2500;
constexpr int kPorts = 16;

struct Peer
{
    std::unique_ptr<VirtualCalibrator> calibrator;
    std::unique_ptr<PtyFront> front;
};

struct Timings
{
    QList<double> elapsed;
    QList<double> listing; ///< of which listing the ports that open
};

/// Times of `runs` searches; answeringPort 0: nobody answers. Empty with *error on failure.
Timings search(int answeringPort, int runs, QString *error)
{
    ScopedMeasuringClock measuring;
    std::vector<Peer> peers;
    InstrumentSession session;
    InstrumentContext &context = session.context();
    context.portTable().setExplicitOnly(true);
    for (int port = 1; port <= kPorts; ++port) {
        Peer peer{std::make_unique<VirtualCalibrator>(QStringLiteral("5241")), nullptr};
        peer.front = std::make_unique<PtyFront>(*peer.calibrator);
        // A silent calibrator hears the query and says nothing, like a device that is not ours.
        peer.calibrator->knobs().silent = port != answeringPort;
        if (!peer.front->open()) {
            *error = peer.front->errorString();
            return {};
        }
        context.portTable().bind(port, peer.front->devicePath());
        peers.push_back(std::move(peer));
    }
    session.createDvm(QStringLiteral("5200"));

    SerialSearch search(session);
    Timings timings;
    QElapsedTimer timer;
    QObject::connect(&search, &SerialSearch::portsListed, [&] { timings.listing << elapsedMs(timer); });
    for (int run = 0; run < runs; ++run) {
        timer.start();
        const bool found = search.locateAll();
        timings.elapsed << elapsedMs(timer);
        if (found != (answeringPort != 0) || (found && search.foundPort() != answeringPort)) {
            *error = QStringLiteral("run %1 found %2").arg(run + 1).arg(found ? search.foundPort() : 0);
            return {};
        }
    }
    return timings;
}

QList<Figure> figures(const QString &name, const Timings &timings, const QString &error)
{
    if (timings.elapsed.isEmpty())
        return {Figure::unavailable(name, error, QStringLiteral("< 2500 ms"))};
    return {Figure::upTo(name, Stats::median(timings.elapsed), QStringLiteral("ms"), kLimitMs, 0),
            Figure::info(QStringLiteral("  of which listing the ports that open"),
                         QString::number(Stats::median(timings.listing), 'f', 0) + QStringLiteral(" ms"))};
}

} // namespace

FigureGroup benchSerialSearch(const BenchOptions &options)
{
    FigureGroup group;
    group.title = QStringLiteral("Serial search over sixteen pseudo-terminals");
    group.details = QStringLiteral("median of %1 searches each (list the ports that open, then ask each for its "
                                   "identification; the wait for an answer is 2 s)")
                        .arg(options.searchRuns);
    QString error;
    group.figures << figures(QStringLiteral("none answers, elapsed"), search(0, options.searchRuns, &error), error);
    error.clear();
    group.figures << figures(QStringLiteral("the last (COM16) answers, elapsed"),
                             search(kPorts, options.searchRuns, &error), error);
    return group;
}
