#pragma once

#include <QString>
#include <QStringList>

class CommandLine;
class IDVM;
class InstrumentContext;
class QTextStream;

/// The tool's exit status.
enum ExitCode : int {
    ExitSuccess = 0,
    ExitUsage = 1,       ///< the command line is wrong; nothing was sent
    ExitUnreachable = 2, ///< the port will not open, no answer in time, no usable interface
    ExitRefused = 3,     ///< the instrument answered but refused, or is not the one we look for
};

/**
 * @brief Everything a command needs while it runs: the instrument, the parsed command line,
 * the output streams, and one way of reporting failures.
 *
 * Results go to out(), messages to err(); the tool binds them to stdout and stderr, a test to
 * strings.
 */
class RunContext
{
public:
    RunContext(const CommandLine &line, InstrumentContext &instrument, const QString &connectionDescription,
               QTextStream &out, QTextStream &err);

    InstrumentContext &instrument() const { return m_instrument; }
    /// The instrument object, configured for the chosen connection.
    IDVM &dvm() const;

    /// What followed the command words.
    const QStringList &arguments() const;
    bool isSet(const QString &option) const;
    QString value(const QString &option) const;
    /// An option's whole-number value in [min, max], or fallback when the option is absent.
    /// False, after a usage message on err(), when the value is not such a number.
    bool intValue(const QString &option, int min, int max, int fallback, int *value);

    QTextStream &out() const { return m_out; }
    QTextStream &err() const { return m_err; }

    /// Where the instrument is: "RS-232 port 3 (/dev/pts/4)", "GPIB address 7", ...
    QString connectionDescription() const { return m_connection; }

    /// Prints "calsetup-cli: message" on err() and returns code.
    int fail(ExitCode code, const QString &message);
    int usageError(const QString &message) { return fail(ExitUsage, message); }
    /// The same, for failures before a run exists (a malformed command line).
    static int printFailure(QTextStream &err, ExitCode code, const QString &message);

    /// True when the last exchange gave no usable answer: the port failed, the time ran out, the
    /// interface is missing, or the transport refused. Judged by how the transport says the
    /// exchange ended, and by the reply "TIMEOUT", the only sign the USB route gives of its time-out.
    bool exchangeFailed(const QString &reply) const;
    /// Explains why `command` got no answer, from how the exchange ended; returns ExitUnreachable.
    int unreachable(const QString &command);

private:
    const CommandLine &m_line;
    InstrumentContext &m_instrument;
    QString m_connection;
    QTextStream &m_out;
    QTextStream &m_err;
};
