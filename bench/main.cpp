// calbench: how fast the program talks to its instrument and how much it needs, each figure
// beside its target. Loopback and pseudo-terminals only; the real clock.

#include "Benches.h"
#include "Figure.h"

#include "platform/Settings.h"
#include "records/DataFolders.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <QtGlobal>

#include <cstdio>

namespace {

QString cpuModel()
{
    QFile file(QStringLiteral("/proc/cpuinfo"));
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
        }
    }
    return QStringLiteral("unknown");
}

QString memoryTotal()
{
    QFile file(QStringLiteral("/proc/meminfo"));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray first = file.readLine();
        const double kb = first.mid(first.indexOf(':') + 1).trimmed().split(' ').value(0).toDouble();
        return QString::number(kb / 1024 / 1024, 'f', 1) + QStringLiteral(" GB");
    }
    return QStringLiteral("unknown");
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (file.open(QIODevice::ReadOnly))
        return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
    return QStringLiteral("unknown");
}

// The offscreen platform remarks on every window it cannot raise; only real trouble is shown.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void print(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

void printGroup(const FigureGroup &group, bool markdown)
{
    if (markdown) {
        print(QStringLiteral("\n### ") + group.title + QLatin1Char('\n'));
        if (!group.details.isEmpty())
            print(group.details + QLatin1Char('\n'));
        print(QStringLiteral("| figure | measured | target | |\n|---|---|---|---|"));
        for (const Figure &f : group.figures)
            print(QStringLiteral("| %1 | %2 | %3 | %4 |").arg(f.name, f.value, f.target, Figure::verdictText(f.verdict)));
        return;
    }
    print(QStringLiteral("\n") + group.title);
    if (!group.details.isEmpty())
        print(QStringLiteral("  (") + group.details + QLatin1Char(')'));
    qsizetype nameWidth = 0;
    qsizetype valueWidth = 0;
    for (const Figure &f : group.figures) {
        nameWidth = qMax(nameWidth, f.name.size());
        valueWidth = qMax(valueWidth, f.value.size());
    }
    for (const Figure &f : group.figures) {
        // A figure with a target shows it and whether it was met; any other shows its note.
        QString tail;
        if (f.verdict == Figure::Verdict::NoTarget)
            tail = f.target == QLatin1String("-") ? QString() : QStringLiteral("(") + f.target + QLatin1Char(')');
        else if (f.target == QLatin1String("-"))
            tail = QStringLiteral("[") + Figure::verdictText(f.verdict) + QLatin1Char(']');
        else
            tail = QStringLiteral("target %1  [%2]").arg(f.target, Figure::verdictText(f.verdict));
        print(QStringLiteral("  %1  %2   %3")
                  .arg(f.name.leftJustified(nameWidth, QLatin1Char(' ')),
                       f.value.rightJustified(valueWidth, QLatin1Char(' ')), tail));
    }
}

} // namespace

int main(int argc, char **argv)
{
    // Windows are measured offscreen; the settings go to a folder of this run's own.
    QTemporaryDir configHome;
    if (!qEnvironmentVariableIsSet("CALBENCH_VERBOSE"))
        qInstallMessageHandler(quietMessages);
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    // Datagrams go to loopback addresses only, whatever a setting might say.
    qputenv("CALSETUP_LOOPBACK_ONLY", "1");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("calbench"));
    Settings::setScope(QStringLiteral("calbench"));
    // The change journal and its snapshots (Quick Setup keeps them) go to the same folder.
    DataFolders::setRootOverride(QDir(configHome.path()).filePath(QStringLiteral("data")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The speed and memory figures of the calibrator setup utility."));
    parser.addHelpOption();
    const QCommandLineOption only(QStringLiteral("only"),
                                  QStringLiteral("Comma-separated figures to take: exchange, table, operations, search, startup, memory."),
                                  QStringLiteral("LIST"));
    const QCommandLineOption exchanges(QStringLiteral("exchanges"), QStringLiteral("Short exchanges per interface."),
                                       QStringLiteral("N"));
    const QCommandLineOption runs(QStringLiteral("runs"),
                                  QStringLiteral("Runs of the table read, the searches, the start-ups and the memory children."),
                                  QStringLiteral("N"));
    const QCommandLineOption markdown(QStringLiteral("markdown"), QStringLiteral("Print the figures as Markdown tables."));
    const QCommandLineOption calsetup(QStringLiteral("calsetup"), QStringLiteral("The windowed program to start."),
                                      QStringLiteral("PATH"), QStringLiteral(CALBENCH_CALSETUP_PATH));
    const QCommandLineOption calsim(QStringLiteral("calsim"), QStringLiteral("The virtual calibrator program."),
                                    QStringLiteral("PATH"), QStringLiteral(CALBENCH_CALSIM_PATH));
    const QCommandLineOption child(QStringLiteral("child"), QStringLiteral("Internal: run as a measured child."),
                                   QStringLiteral("ROLE"));
    parser.addOptions({only, exchanges, runs, markdown, calsetup, calsim, child});
    parser.process(app);

    if (parser.isSet(child)) {
        if (parser.value(child) == QLatin1String("factor-window"))
            return runFactorWindowChild();
        return 1;
    }

    BenchOptions options;
    if (parser.isSet(exchanges))
        options.exchanges = qMax(1, parser.value(exchanges).toInt());
    if (parser.isSet(runs)) {
        const int n = qMax(1, parser.value(runs).toInt());
        options.tableRuns = options.searchRuns = options.startupRuns = options.memoryRuns = n;
    }
    const QStringList wanted = parser.isSet(only) ? parser.value(only).split(QLatin1Char(','), Qt::SkipEmptyParts)
                                                  : QStringList{"exchange", "table", "operations", "search", "startup", "memory"};
    const bool md = parser.isSet(markdown);

    print(QStringLiteral("calbench on %1 processors (%2), %3 memory, %4, Qt %5, build %6, load average %7")
              .arg(QThread::idealThreadCount())
              .arg(cpuModel(), memoryTotal(), QSysInfo::prettyProductName(), QString::fromLatin1(qVersion()),
                   QStringLiteral(CALBENCH_BUILD_TYPE), loadAverage()));

    if (wanted.contains(QLatin1String("exchange")))
        for (const FigureGroup &g : benchShortExchanges(options, parser.value(calsim)))
            printGroup(g, md);
    if (wanted.contains(QLatin1String("table")))
        printGroup(benchFullTable(options, parser.value(calsim)), md);
    if (wanted.contains(QLatin1String("operations")))
        printGroup(benchLongOperations(options, parser.value(calsim)), md);
    if (wanted.contains(QLatin1String("search")))
        printGroup(benchSerialSearch(options), md);
    if (wanted.contains(QLatin1String("startup")))
        printGroup(benchStartup(options, parser.value(calsetup)), md);
    if (wanted.contains(QLatin1String("memory")))
        printGroup(benchFactorWindowMemory(options, QCoreApplication::applicationFilePath()), md);
    // The figures are for reading; a missed target is not a failure of the run.
    return 0;
}
