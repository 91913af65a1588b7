#include "cli/RunContext.h"

#include "cli/CommandLine.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"
#include "instrument/InterfaceType.h"
#include "instrument/Reply.h"
#include "instrument/serial/SerialPortControl.h"

#include <QTextStream>

RunContext::RunContext(const CommandLine &line, InstrumentContext &instrument,
                       const QString &connectionDescription, QTextStream &out, QTextStream &err)
    : m_line(line), m_instrument(instrument), m_connection(connectionDescription), m_out(out), m_err(err)
{
}

IDVM &RunContext::dvm() const
{
    return *m_instrument.dvm();
}

const QStringList &RunContext::arguments() const
{
    return m_line.arguments();
}

bool RunContext::isSet(const QString &option) const
{
    return m_line.isSet(option);
}

QString RunContext::value(const QString &option) const
{
    return m_line.value(option);
}

bool RunContext::intValue(const QString &option, int min, int max, int fallback, int *value)
{
    if (!isSet(option)) {
        *value = fallback;
        return true;
    }
    bool ok = false;
    const int number = m_line.value(option).toInt(&ok);
    if (!ok || number < min || number > max) {
        usageError(QStringLiteral("--%1 needs a whole number from %2 to %3, not \"%4\"")
                       .arg(option)
                       .arg(min)
                       .arg(max)
                       .arg(m_line.value(option)));
        return false;
    }
    *value = number;
    return true;
}

int RunContext::fail(ExitCode code, const QString &message)
{
    return printFailure(m_err, code, message);
}

int RunContext::printFailure(QTextStream &err, ExitCode code, const QString &message)
{
    err << "calsetup-cli: " << message;
    if (code == ExitUsage)
        err << " (calsetup-cli --help lists the commands and options)";
    err << Qt::endl;
    return code;
}

bool RunContext::exchangeFailed(const QString &reply) const
{
    switch (m_instrument.state().lastOutcome) {
    case ExchangeOutcome::TimedOut:
    case ExchangeOutcome::PortFailed:
    case ExchangeOutcome::Busy:
    case ExchangeOutcome::Overflow:
    case ExchangeOutcome::NoInterface:
        return true;
    case ExchangeOutcome::Answered:
    case ExchangeOutcome::NotAwaited:
        break;
    }
    // The USB route reports its time-out in the reply only.
    return reply == Reply::Timeout;
}

int RunContext::unreachable(const QString &command)
{
    QString why;
    switch (m_instrument.state().lastOutcome) {
    case ExchangeOutcome::PortFailed: {
        why = QStringLiteral("cannot use %1").arg(m_connection);
        const SerialPortControl *port = m_instrument.dvm1Comm();
        if (dvm().GetInterfaceType() == InterfaceRS232 && port && !port->errorString().isEmpty())
            why += QStringLiteral(": ") + port->errorString();
        break;
    }
    case ExchangeOutcome::NoInterface:
        why = QStringLiteral("%1 cannot carry commands: this interface is not available").arg(m_connection);
        break;
    case ExchangeOutcome::Busy:
        why = QStringLiteral("%1 is still busy with another exchange").arg(m_connection);
        break;
    case ExchangeOutcome::Overflow:
        why = QStringLiteral("%1 sent more than a reply may hold without ending it").arg(m_connection);
        break;
    case ExchangeOutcome::TimedOut:
        why = QStringLiteral("no answer to %1 from %2 in the time allowed").arg(command, m_connection);
        break;
    case ExchangeOutcome::Answered:
    case ExchangeOutcome::NotAwaited:
        // A reply that was only the echo of the question counts as none.
        why = QStringLiteral("no usable answer to %1 from %2").arg(command, m_connection);
        break;
    }
    return fail(ExitUnreachable, why);
}
