#pragma once

#include "instrument/Exchange.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

class CommandLine;
class IDVM;
class InstrumentChannel;
class InstrumentSession;
class QJsonObject;

/// The tool's exit status.
enum ExitCode : int {
    ExitSuccess = 0,
    ExitUsage = 1, ///< the command line is wrong; nothing was sent
    ExitUnreachable =
        2, ///< the port will not open (for a reason not of this computer), no answer in time, no usable interface
    ExitRefused = 3,   ///< the instrument answered but refused, or is not the one we look for
    ExitLocalFile = 4, ///< a file or device of this computer could not be used
};

/**
 * @brief Everything a command needs while it runs: the instrument session, the parsed command
 * line, the output streams, and one way of reporting failures.
 *
 * Results go to out(), messages to err(); the tool binds them to stdout and stderr, a test to
 * strings. The run hears every exchange as it ends, so a command can ask how the last one went.
 *
 * With --json the text a command writes to out() goes nowhere: the command says what it found
 * once, with printJson(), so stdout holds one document or, when the command fails, nothing.
 */
class RunContext
{
public:
    /// errIsTerminal: whether err() reaches a person's terminal, where progress counters go.
    RunContext(const CommandLine &line, InstrumentSession &session, const QString &connectionDescription,
               QTextStream &out, QTextStream &err, bool errIsTerminal = false);
    ~RunContext();

    RunContext(const RunContext &) = delete;
    RunContext &operator=(const RunContext &) = delete;

    InstrumentSession &session() const { return m_session; }
    /// The instrument object, configured for the chosen connection.
    IDVM &dvm() const;
    /// The way to the instrument the table operations and procedures take.
    InstrumentChannel &channel() const;

    /// What followed the command words.
    const QStringList &arguments() const;
    bool isSet(const QString &option) const;
    QString value(const QString &option) const;
    /// An option's whole-number value in [min, max], or fallback when the option is absent.
    /// False, after a usage message on err(), when the value is not such a number.
    bool intValue(const QString &option, int min, int max, int fallback, int *value);

    /// The text results; with --json a stream that keeps nothing.
    QTextStream &out() const { return json() ? m_discarded : m_out; }
    QTextStream &err() const { return m_err; }

    /// Whether --json asks for the result as one JSON document.
    bool json() const;
    /// Prints the command's one document on stdout.
    void printJson(const QJsonObject &document) const;
    /// Prints lines that are JSON documents each, as they are (the journal's stored records).
    void printJsonLines(const QList<QByteArray> &lines) const;
    /// Whether progress counters are shown on err().
    bool errIsTerminal() const { return m_errIsTerminal; }

    /// Where the instrument is: "RS-232 port 3 (/dev/pts/4)", "GPIB address 7", ...
    QString connectionDescription() const { return m_connection; }

    /// Prints "calsetup-cli: message" on err() and returns code.
    int fail(ExitCode code, const QString &message);
    /// The same line for a problem the command reports and goes on after (a value the instrument
    /// did not take, a step of a longer task that failed).
    void warn(const QString &message) const;
    int usageError(const QString &message) { return fail(ExitUsage, message); }
    /// The same, for failures before a run exists (a malformed command line).
    static int printFailure(QTextStream &err, ExitCode code, const QString &message);

    /// How the last exchange ended.
    const ExchangeReply &lastReply() const { return m_lastReply; }
    /// True when the last exchange gave no usable answer: the port failed, the time ran out, the
    /// interface is missing, or the exchange was refused.
    bool exchangeFailed() const { return m_lastReply.failed(); }
    /// Explains why `command` got no answer, from how its exchange ended (the last one unless
    /// given); returns ExitUnreachable.
    int unreachable(const QString &command) { return unreachable(command, m_lastReply); }
    int unreachable(const QString &command, const ExchangeReply &reply);

    /// Prints that the calibrator did not take `command`, with its answer in one line; returns
    /// ExitRefused.
    int notTaken(const QString &command, const QString &reply);
    /// A reply in one line for a message: trimmed, each CR shown as " | ".
    static QString oneLine(const QString &reply);

    /// From now on the first awaited exchange that gets no usable answer is reported on the spot
    /// (for the long table operations, which go on to their tail); failureReported() tells whether
    /// that happened.
    void reportFirstFailure() { m_reportFirstFailure = true; }
    bool failureReported() const { return m_failureReported; }
    /// The exit status of a command whose password was not accepted: unreachable when the line
    /// failed (already reported), else refused, saying so.
    int noSetupModeExit();

private:
    /// The serial device in use exists but this user may not open it, or a living process holds
    /// its lock: the cause is on this computer (exit 4), not with the instrument.
    bool serialDeviceRefusedHere() const;
    void exchangeFinished(const ExchangeRequest &request, const ExchangeReply &reply);

    const CommandLine &m_line;
    InstrumentSession &m_session;
    QString m_connection;
    QTextStream &m_out;
    QTextStream &m_err;
    bool m_errIsTerminal;
    QString m_discardedText;
    mutable QTextStream m_discarded{&m_discardedText};
    ExchangeReply m_lastReply;
    bool m_reportFirstFailure = false;
    bool m_failureReported = false;
};
