// Figures taken from child processes: the windowed program's start-up and the memory of the
// factor window holding a full table.

#include "Benches.h"
#include "ChildProcess.h"
#include "Stats.h"
#include "caldata/CalFactorTable.h"
#include "gui/app/FormMain.h"
#include "gui/app/Main.h"
#include "gui/caldata/FormCalFactors.h"
#include "session/InstrumentSession.h"

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double kStartupLimitMs = 1500;
constexpr double kStartupMemoryLimitMb = 120;
constexpr int kChildTimeoutMs = 60000;

/// The environment of a child: offscreen windows, no desktop theme, settings in a folder of its own.
QMap<QString, QString> childEnvironment(const QString &configHome)
{
    return {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
            {QStringLiteral("QT_QPA_PLATFORMTHEME"), QString()},
            {QStringLiteral("XDG_CONFIG_HOME"), configHome}};
}

QString mb(double value)
{
    return QString::number(value, 'f', 1) + QStringLiteral(" MB");
}

/// The number after "key " on a line of the child's output (0 when absent).
double outputValue(const QByteArray &output, const QByteArray &key)
{
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith(key + ' '))
            return line.mid(key.size() + 1).trimmed().toDouble();
    }
    return 0;
}

} // namespace

FigureGroup benchStartup(const BenchOptions &options, const QString &calsetupPath)
{
    FigureGroup group;
    group.title = QStringLiteral("Start-up of calsetup --simulate to the connected main window (offscreen)");
    group.details = QStringLiteral("median of %1 starts of %2 as a child process; elapsed from the start of the "
                                   "process to its \"connected\" line; peak resident memory from the kernel")
                        .arg(options.startupRuns)
                        .arg(calsetupPath);
    QTemporaryDir configHome;
    QList<double> elapsed;
    QList<double> memory;
    for (int run = 0; run < options.startupRuns; ++run) {
        const ChildProcess::Result r =
            ChildProcess::run(calsetupPath, {QStringLiteral("--simulate"), QStringLiteral("--quit-when-connected")},
                              childEnvironment(configHome.path()), "connected", kChildTimeoutMs);
        if (!r.sawLine || r.exitCode != 0) {
            const QString why = !r.error.isEmpty() ? r.error : QStringLiteral("exit code %1").arg(r.exitCode);
            group.figures << Figure::unavailable(QStringLiteral("elapsed"),
                                                 QStringLiteral("run %1: %2").arg(run + 1).arg(why),
                                                 QStringLiteral("< 1500 ms"));
            return group;
        }
        elapsed << r.lineAtMs;
        memory << r.peakRssMb;
    }
    group.figures << Figure::upTo(QStringLiteral("elapsed, median"), Stats::median(elapsed), QStringLiteral("ms"),
                                  kStartupLimitMs, 0);
    group.figures << Figure::upTo(QStringLiteral("peak memory, median"), Stats::median(memory), QStringLiteral("MB"),
                                  kStartupMemoryLimitMb, 1);
    group.figures << Figure::info(QStringLiteral("elapsed, slowest / peak memory, largest"),
                                  QString::number(*std::max_element(elapsed.begin(), elapsed.end()), 'f', 0)
                                      + QStringLiteral(" ms / ") + mb(*std::max_element(memory.begin(), memory.end())));
    return group;
}

FigureGroup benchFactorWindowMemory(const BenchOptions &options, const QString &benchPath)
{
    FigureGroup group;
    group.title = QStringLiteral("Memory of the factor window holding a full table (offscreen)");
    group.details = QStringLiteral("median of %1 child processes: the simulated program's start, then the "
                                   "Calibration Factors window and a full Load from Calibrator")
                        .arg(options.memoryRuns);
    QTemporaryDir configHome;
    QList<double> peak;
    QList<double> growth;
    for (int run = 0; run < options.memoryRuns; ++run) {
        const ChildProcess::Result r =
            ChildProcess::run(benchPath, {QStringLiteral("--child"), QStringLiteral("factor-window")},
                              childEnvironment(configHome.path()), "full", kChildTimeoutMs);
        if (!r.sawLine || r.exitCode != 0) {
            const QString why = !r.error.isEmpty() ? r.error : QStringLiteral("exit code %1").arg(r.exitCode);
            group.figures << Figure::unavailable(QStringLiteral("peak memory"),
                                                 QStringLiteral("run %1: %2").arg(run + 1).arg(why));
            return group;
        }
        peak << r.peakRssMb;
        growth << outputValue(r.output, "rss-after") - outputValue(r.output, "rss-before");
    }
    group.figures << Figure::info(QStringLiteral("peak memory of the program, median"), mb(Stats::median(peak)),
                                  QStringLiteral("no target of its own (start-up: < 120 MB)"));
    group.figures << Figure::info(QStringLiteral("growth from opening the window and filling it, median"),
                                  mb(Stats::median(growth)));
    return group;
}

int runFactorWindowChild()
{
    BenchPrompts prompts;
    InstrumentSession context;
    QString error;
    if (!context.startSimulation({}, &error)) {
        std::fprintf(stderr, "calbench: %s\n", qPrintable(error));
        return 2;
    }
    std::unique_ptr<FormMain> main = Main(context, prompts);
    if (!main)
        return 3;
    QCoreApplication::processEvents();
    const double before = currentRssMb();

    QPointer<FormCalFactors> window = new FormCalFactors(context, prompts, [](const QString &) {});
    window->show();
    window->Command_LoadAllCalFactors_Click();
    // Paint the grid as it now stands, with every cell's text laid out.
    window->repaint();
    QCoreApplication::processEvents();
    int filled = 0;
    for (int row = 1; row < window->table().rowCount(); ++row)
        for (int column = 1; column < window->table().columnCount(); ++column)
            filled += window->table().text(row, column).isEmpty() ? 0 : 1;
    std::printf("rss-before %.1f\nrss-after %.1f\ncells %d\nfull\n", before, currentRssMb(), filled);
    std::fflush(stdout);
    delete window;
    return filled > 0 ? 0 : 4;
}
