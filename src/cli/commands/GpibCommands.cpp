// gpib find, gpib move: the GPIB bus itself, as the interface options window shows it.

#include "cli/CommandGroups.h"
#include "cli/JsonOutput.h"
#include "cli/RunContext.h"
#include "instrument/gpib/GpibBusSearch.h"
#include "session/InstrumentSession.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

namespace {

int find(RunContext &run)
{
    GpibBusSearch search(run.session().context().gpibBus());
    const QList<GpibListener> found = search.search();
    if (search.busUnusable())
        return run.fail(ExitRefused, search.error());
    if (found.isEmpty())
        return run.fail(ExitRefused,
                        QStringLiteral("no instrument listens on the GPIB bus (addresses %1 to %2)")
                            .arg(GpibBusSearch::kFirstAddress)
                            .arg(GpibBusSearch::kLastAddress));
    QJsonArray listed;
    for (const GpibListener &listener : found) {
        run.out() << listener.address << '\t'
                  << (listener.identity.isEmpty() ? QStringLiteral("(no answer to *IDN?)") : listener.identity) << '\n';
        listed.append(QJsonObject{{QStringLiteral("address"), listener.address},
                                  {QStringLiteral("instrument"),
                                   listener.identity.isEmpty() ? QJsonValue(QJsonValue::Null)
                                                               : QJsonValue(JsonOutput::identity(listener.identity))}});
    }
    if (run.json())
        run.printJson({{QStringLiteral("listeners"), listed}});
    return ExitSuccess;
}

bool parseAddress(const QString &text, int *address)
{
    bool ok = false;
    *address = text.toInt(&ok);
    return ok && *address >= GpibBusSearch::kFirstAddress && *address <= GpibBusSearch::kLastAddress;
}

int move(RunContext &run)
{
    int from = 0;
    int to = 0;
    for (const auto &[text, address] :
         {std::pair{run.arguments().at(0), &from}, std::pair{run.arguments().at(1), &to}}) {
        if (!parseAddress(text, address))
            return run.usageError(QStringLiteral("GPIB addresses run from %1 to %2, not \"%3\"")
                                      .arg(GpibBusSearch::kFirstAddress)
                                      .arg(GpibBusSearch::kLastAddress)
                                      .arg(text));
    }
    GpibBusSearch search(run.session().context().gpibBus());
    if (!search.changeAddress(from, to))
        return run.fail(ExitRefused, search.error());
    run.out() << "moved to GPIB address " << to << '\n';
    if (run.json())
        run.printJson({{QStringLiteral("from"), from}, {QStringLiteral("address"), to}});
    return ExitSuccess;
}

} // namespace

QList<CliCommand> gpibCommands()
{
    return {
        {.words = {QStringLiteral("gpib"), QStringLiteral("find")},
         .summary = QStringLiteral("list the GPIB addresses where an instrument listens, with its identification"),
         .json = QStringLiteral("{\"listeners\": [{\"address\", \"instrument\": {\"identity\", \"model\", \"serial\", "
                                "\"firmware\"} or null}]}"),
         .run = find},
        {.words = {QStringLiteral("gpib"), QStringLiteral("move")},
         .argumentUsage = QStringLiteral("FROM TO"),
         .summary = QStringLiteral("move the instrument at GPIB address FROM to address TO (SYST:COMM:GPIB:ADDR)"),
         .json = QStringLiteral("{\"from\", \"address\": TO}"),
         .minArguments = 2,
         .maxArguments = 2,
         .run = move},
    };
}
