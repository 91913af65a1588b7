// locate: the serial search the location window runs, without the window.

#include "cli/CommandGroups.h"
#include "cli/CommandLine.h"
#include "cli/RunContext.h"
#include "instrument/serial/PortTable.h"
#include "locate/SerialSearch.h"
#include "session/InstrumentSession.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QTextStream>

namespace {

const QString kPorts = QStringLiteral("ports");

int locate(RunContext &run)
{
    PortTable &ports = run.session().context().portTable();
    QList<int> candidates = SerialSearch::allPorts();
    // A simulated run searches its virtual calibrator only: a query to a real instrument on the
    // machine's own ports is no business of a simulation.
    if (run.isSet(CliOptionName::Simulate))
        ports.setExplicitOnly(true);
    if (run.isSet(kPorts)) {
        const QStringList devices = run.value(kPorts).split(QLatin1Char(','));
        if (devices.size() > PortTable::kLastPort)
            return run.usageError(QStringLiteral("--ports takes at most %1 devices").arg(PortTable::kLastPort));
        QSet<QString> seen;
        for (const QString &device : devices) {
            if (device.trimmed().isEmpty())
                return run.usageError(QStringLiteral("--ports needs devices separated by commas, such as "
                                                     "/dev/ttyUSB0,/dev/ttyUSB1"));
            if (seen.contains(device.trimmed()))
                return run.usageError(QStringLiteral("--ports names %1 twice").arg(device.trimmed()));
            seen.insert(device.trimmed());
        }
        // The devices take the port numbers 1, 2, ... in the order given, and only they are searched.
        candidates.clear();
        for (const QString &device : devices) {
            const int number = PortTable::kFirstPort + int(candidates.size());
            ports.bind(number, device.trimmed());
            candidates << number;
        }
    }

    SerialSearch search(run.session());
    QStringList details;
    QObject::connect(&search, &SerialSearch::detail, [&run, &details](const QString &text) {
        // A reply's CR puts what follows on a line of its own, as in the window.
        QString shown = text;
        shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        run.out() << shown << '\n' << Qt::flush;
        details << shown.split(QLatin1Char('\n'));
    });
    if (!search.locateAll(candidates))
        return run.fail(ExitRefused, QStringLiteral("no instrument found on the serial ports"));
    if (run.json()) {
        run.printJson({{QStringLiteral("port"), search.foundPort()},
                       {QStringLiteral("device"), ports.devicePath(search.foundPort())},
                       {QStringLiteral("details"), QJsonArray::fromStringList(details)}});
    }
    return ExitSuccess;
}

} // namespace

QList<CliCommand> locateCommands()
{
    return {
        {.words = {QStringLiteral("locate")},
         .summary = QStringLiteral("search the serial ports for the calibrator as \"Autolocate\" does and store "
                                   "the port it answers on; exit 3 when none answers"),
         .json = QStringLiteral("{\"port\": N, \"device\", \"details\": [the search's lines]}"),
         .options = {{kPorts, QStringLiteral("DEV,DEV,..."),
                      QStringLiteral("search these devices, as ports 1, 2, ... (default: every port 1 to 16)")}},
         .run = locate},
    };
}
