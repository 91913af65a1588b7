// doctor: what on this computer keeps the tool from an instrument, and what to do about it. It
// looks at files and devices of this computer only and opens no port.

#include "cli/CommandGroups.h"
#include "cli/RunContext.h"
#include "diagnostics/DiagnosticsReport.h"
#include "diagnostics/SystemChecks.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

int doctor(RunContext &run)
{
    const QList<SystemCheck> checks = SystemChecks(SystemChecks::Environment::current()).run();
    // The report is the result even when a check fails: it is printed whatever the exit status.
    if (run.json())
        run.printJson(QJsonDocument::fromJson(DiagnosticsReport::json(checks)).object());
    else
        run.out() << DiagnosticsReport::text(checks) << Qt::flush;
    return DiagnosticsReport::allPassed(checks) ? ExitSuccess : ExitRefused;
}

} // namespace

QList<CliCommand> doctorCommands()
{
    return {
        {.words = {QStringLiteral("doctor")},
         .summary = QStringLiteral("check this computer for what keeps the tool from an instrument (serial device "
                                   "access, stale locks, services that take USB bridges, udev rules, the GPIB library, "
                                   "network broadcast, writable folders) and say how to fix it; exit 3 on a problem"),
         .json = QStringLiteral("{\"checks\": [{\"name\", \"ok\", \"detail\", \"fix\"}]}"),
         .run = doctor,
         .needsInstrument = false},
    };
}
