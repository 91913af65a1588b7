#include "cli/CliRunner.h"

#include "cli/CliConnection.h"
#include "cli/CliLogging.h"
#include "cli/CliTrace.h"
#include "cli/CommandGroups.h"
#include "cli/CommandLine.h"
#include "cli/RunContext.h"
#include "instrument/TraceBus.h"
#include "session/InstrumentSession.h"

#include <QTextStream>

int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err, bool errIsTerminal)
{
    const QList<CliCommand> &commands = commandTable();
    const CommandLine line = CommandLine::parse(arguments, commands);
    if (!line.error().isEmpty())
        return RunContext::printFailure(err, ExitUsage, line.error());
    if (line.isSet(CliOptionName::Help)) {
        out << CommandLine::usageText(commands) << Qt::flush;
        return ExitSuccess;
    }
    if (!line.command()) {
        err << CommandLine::usageText(commands) << Qt::flush;
        return ExitUsage;
    }

    CliLogging logging(line.isSet(CliOptionName::Trace), err);
    InstrumentSession session;
    CliTrace trace(traceBus(), line.isSet(CliOptionName::Trace), err);
    QString error;
    if (line.isSet(CliOptionName::TraceFile) && !trace.openFile(line.value(CliOptionName::TraceFile), &error))
        return RunContext::printFailure(err, ExitLocalFile, error);
    CliConnection connection(session);
    int status = ExitSuccess;
    if (line.command()->needsInstrumentFor(int(line.arguments().size())))
        status = connection.setUp(line, &error);
    else if (line.isSet(CliOptionName::Simulate))
        session.useSimulatedSettings(); // the simulated run's own journal, apart from a real one
    RunContext run(line, session, connection.description(), out, err, errIsTerminal);
    if (status != ExitSuccess)
        return run.fail(ExitCode(status), error);
    const int result = line.command()->run(run);
    out.flush();
    err.flush();
    return result;
}
