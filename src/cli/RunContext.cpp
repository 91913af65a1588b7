#include "cli/RunContext.h"

#include "cli/CommandLine.h"
#include "cli/JsonOutput.h"
#include "instrument/IDVM.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/SerialDeviceAccess.h"
#include "platform/SystemView.h"
#include "session/InstrumentSession.h"

#include <QTextStream>

RunContext::RunContext(const CommandLine &line, InstrumentSession &session, const QString &connectionDescription,
                       QTextStream &out, QTextStream &err, bool errIsTerminal)
    : m_line(line),
      m_session(session),
      m_connection(connectionDescription),
      m_out(out),
      m_err(err),
      m_errIsTerminal(errIsTerminal)
{
    m_session.context().setExchangeObserver(
        [this](const ExchangeRequest &request, const ExchangeReply &reply) { exchangeFinished(request, reply); });
}

RunContext::~RunContext()
{
    m_session.context().setExchangeObserver({});
}

IDVM &RunContext::dvm() const
{
    return *m_session.dvm();
}

InstrumentChannel &RunContext::channel() const
{
    return m_session.channel();
}

void RunContext::exchangeFinished(const ExchangeRequest &request, const ExchangeReply &reply)
{
    m_lastReply = reply;
    if (m_reportFirstFailure && !m_failureReported && request.awaitReply && reply.failed()) {
        m_failureReported = true;
        unreachable(request.command);
    }
}

int RunContext::noSetupModeExit()
{
    if (m_failureReported)
        return ExitUnreachable;
    return fail(ExitRefused,
                QStringLiteral("Error entering setup mode: %1 did not accept the password").arg(m_connection));
}

bool RunContext::json() const
{
    return m_line.isSet(CliOptionName::Json);
}

void RunContext::printJson(const QJsonObject &document) const
{
    m_out << JsonOutput::document(document) << Qt::flush;
}

void RunContext::printJsonLines(const QList<QByteArray> &lines) const
{
    for (const QByteArray &line : lines)
        m_out << QString::fromUtf8(line) << '\n';
    m_out.flush();
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

namespace {

// Every message of the tool starts so, whether the command goes on or ends with it.
constexpr char kMessagePrefix[] = "calsetup-cli: ";

} // namespace

int RunContext::fail(ExitCode code, const QString &message)
{
    return printFailure(m_err, code, message);
}

void RunContext::warn(const QString &message) const
{
    m_err << kMessagePrefix << message << Qt::endl;
}

int RunContext::printFailure(QTextStream &err, ExitCode code, const QString &message)
{
    err << kMessagePrefix << message;
    if (code == ExitUsage)
        err << " (calsetup-cli --help lists the commands and options)";
    err << Qt::endl;
    return code;
}

int RunContext::notTaken(const QString &command, const QString &reply)
{
    return fail(ExitRefused,
                QStringLiteral("the calibrator did not take %1 (it answered %2)").arg(command, oneLine(reply)));
}

QString RunContext::oneLine(const QString &reply)
{
    QString text = reply.trimmed();
    text.replace(QLatin1Char('\r'), QStringLiteral(" | "));
    return text;
}

bool RunContext::serialDeviceRefusedHere() const
{
    IDVM *dvm = m_session.dvm();
    SerialPortControl *control = m_session.context().dvm1Comm();
    if (!dvm || !control || dvm->endpoint().interfaceType != InterfaceRS232)
        return false;
    const QString device = control->devicePath();
    if (device.isEmpty())
        return false;
    const SystemView &system = SystemView::current();
    const SerialDeviceAccess::Access access = SerialDeviceAccess::access(system, device);
    const SerialDeviceAccess::Lock lock = SerialDeviceAccess::lock(system, device);
    return (access.exists && !access.accessible) || (lock.present && lock.alive);
}

int RunContext::unreachable(const QString &command, const ExchangeReply &reply)
{
    QString why;
    switch (reply.outcome) {
    case ExchangeOutcome::OpenFailed:
    case ExchangeOutcome::LinkFailed:
        why = QStringLiteral("cannot use %1").arg(m_connection);
        if (!reply.detail.isEmpty())
            why += QStringLiteral(": ") + reply.detail;
        if (reply.outcome == ExchangeOutcome::OpenFailed && serialDeviceRefusedHere())
            return fail(ExitLocalFile, why);
        break;
    case ExchangeOutcome::NotConnected:
    case ExchangeOutcome::NoBoard:
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
