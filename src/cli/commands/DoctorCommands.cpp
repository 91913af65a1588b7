// doctor: what on this computer keeps the tool from an instrument, and what to do about it. It
// looks at files and devices of this computer only and opens no port.

#include "cli/CommandGroups.h"
#include "cli/RunContext.h"
#include "diagnostics/DiagnosticsReport.h"
#include "diagnostics/SystemChecks.h"

#include <QTextStream>

namespace {

const QString kJson = QStringLiteral("json");

int doctor(RunContext &run)
{
    const QList<SystemCheck> checks = SystemChecks(SystemChecks::Environment::current()).run();
    if (run.isSet(kJson))
        run.out() << QString::fromUtf8(DiagnosticsReport::json(checks));
    else
        run.out() << DiagnosticsReport::text(checks);
    run.out().flush();
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
         .options = {{kJson, QString(),
                      QStringLiteral("print {\"checks\": [{\"name\", \"ok\", \"detail\", \"fix\"}]}")}},
         .run = doctor,
         .needsInstrument = false},
    };
}
