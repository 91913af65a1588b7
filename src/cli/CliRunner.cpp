#include "cli/CliRunner.h"

#include "cli/CliConnection.h"
#include "cli/CliLogging.h"
#include "cli/CliTrace.h"
#include "cli/CommandGroups.h"
#include "cli/CommandLine.h"
#include "cli/InterruptWatch.h"
#include "cli/RunContext.h"
#include "instrument/InstrumentContext.h"
#include "instrument/TraceBus.h"
#include "session/InstrumentSession.h"

#include <QTextStream>

#include <cstdlib>
#include <memory>

namespace {

/// Ends the tool on Ctrl-C or a kill while it talks to the instrument. The exchange under way
/// cannot be unwound from the wait it is in, so the tool ends here, after the one thing a plain
/// end would leave undone: a held USB bridge goes back to the system's serial driver, without
/// which its serial device stays away until the bridge is plugged in again. The exit status is
/// the shell's for a signal (130 for Ctrl-C).
[[noreturn]] void endInterrupted(InstrumentSession &session, QTextStream &out, QTextStream &err, int signal)
{
    UsbBridgeAccess &usb = session.context().usb();
    const QString held = usb.heldSerialNumber();
    usb.releaseHeld();
    out.flush();
    err << "calsetup-cli: interrupted; what was being sent may have reached the instrument only in part";
    if (!held.isEmpty() && usb.heldSerialNumber().isEmpty())
        err << "; the USB bridge " << held << " is back with the system's serial driver";
    err << Qt::endl;
    std::_Exit(128 + signal);
}

} // namespace

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
    std::unique_ptr<InterruptWatch> interrupts;
    if (line.command()->needsInstrumentFor(int(line.arguments().size()))) {
        // Only while an instrument is talked to: its waits run the event loop that takes the
        // signal, and a command that never waits keeps the plain end on Ctrl-C.
        interrupts = std::make_unique<InterruptWatch>(
            [&session, &out, &err](int signal) { endInterrupted(session, out, err, signal); });
        status = connection.setUp(line, &error);
    }
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
