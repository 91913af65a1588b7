#pragma once

#include <QStringList>

class QTextStream;

/// Runs the command-line tool once: parses the arguments (without the program name), connects
/// to the instrument, runs the command and returns the exit status. Results go to out, messages
/// and the trace to err. Needs a running Qt application; the instrument is reached through the
/// event loop of the calling thread. errIsTerminal: err reaches a terminal, so the long operations
/// show a progress counter there.
int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err, bool errIsTerminal = false);
