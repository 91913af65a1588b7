#include "gui/app/StartupFindings.h"

#include "diagnostics/DiagnosticsReport.h"
#include "diagnostics/SystemChecks.h"

QString startupFindings()
{
    return DiagnosticsReport::problems(SystemChecks(SystemChecks::Environment::current()).run());
}
