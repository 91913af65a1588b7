#include "instrument/TraceRecord.h"

#include <QRegularExpression>

namespace TraceWords {

QString refusal(const QString &reply)
{
    // The status line is the last one: "*0" is success, any other digit the reason for a refusal.
    static const QRegularExpression status(QStringLiteral("\\*(\\d)\\s*$"));
    const QRegularExpressionMatch match = status.match(reply);
    if (!match.hasMatch() || match.captured(1) == QLatin1String("0"))
        return {};
    return QLatin1Char('*') + match.captured(1);
}

QString outcome(ExchangeOutcome outcome, const QString &reply)
{
    switch (outcome) {
    case ExchangeOutcome::Answered: {
        const QString code = refusal(reply);
        return code.isEmpty() ? QStringLiteral("answered") : QStringLiteral("refused ") + code;
    }
    case ExchangeOutcome::NotAwaited:
        return QStringLiteral("written");
    case ExchangeOutcome::TimedOut:
        return QStringLiteral("time-out");
    case ExchangeOutcome::Busy:
        return QStringLiteral("busy");
    case ExchangeOutcome::Overflow:
        return QStringLiteral("overflow");
    case ExchangeOutcome::NotConnected:
        return QStringLiteral("not connected");
    case ExchangeOutcome::NoBoard:
        return QStringLiteral("no GPIB board");
    case ExchangeOutcome::OpenFailed:
        return QStringLiteral("open failed");
    case ExchangeOutcome::LinkFailed:
        return QStringLiteral("link failed");
    }
    return QStringLiteral("unknown");
}

QString endpoint(const Endpoint &endpoint, const QString &devicePath)
{
    switch (endpoint.interfaceType) {
    case InterfaceRS232: {
        const QString port = QStringLiteral("COM") + endpoint.address;
        return devicePath.isEmpty() ? port : port + QLatin1Char(' ') + devicePath;
    }
    case InterfaceGPIB:
        return QStringLiteral("GPIB0::") + endpoint.address;
    case InterfaceUSB:
        return QStringLiteral("USB ") + endpoint.address;
    case InterfaceEthernet:
        return QStringLiteral("ETH ") + endpoint.address;
    default:
        return QStringLiteral("IF%1 %2").arg(endpoint.interfaceType).arg(endpoint.address);
    }
}

} // namespace TraceWords

bool TraceRecord::failed() const
{
    switch (kind) {
    case Kind::Exchange:
        return (outcome != ExchangeOutcome::Answered && outcome != ExchangeOutcome::NotAwaited)
            || !TraceWords::refusal(reply).isEmpty();
    case Kind::Opened:
        return outcome != ExchangeOutcome::Answered;
    case Kind::Closed:
        return false;
    case Kind::Lost:
        return true;
    }
    return false;
}

QList<TraceLine> TraceRecord::lines() const
{
    const bool failure = failed();
    // A connection event names where it happened; the interface column may be cut off in a view.
    const QString where = detail.isEmpty() ? interface : interface + QLatin1String(": ") + visibleWireText(detail);
    switch (kind) {
    case Kind::Opened:
        return {{start, -1, interface, QStringLiteral("open"), where,
                 failure ? TraceWords::outcome(outcome) : QStringLiteral("opened"), failure}};
    case Kind::Closed:
        return {{start, -1, interface, QStringLiteral("close"), where, QStringLiteral("closed"), false}};
    case Kind::Lost:
        return {{start, -1, interface, QStringLiteral("lost"), where, QStringLiteral("lost"), true}};
    case Kind::Exchange:
        break;
    }
    const QString word = TraceWords::outcome(outcome, reply);
    QList<TraceLine> out;
    out.append({start, durationMs, interface, QStringLiteral("send"), visibleWireText(command), word, failure});
    if (awaited || !reply.isEmpty()) {
        QString text = visibleWireText(reply);
        if (!detail.isEmpty() && failure)
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + QLatin1Char('(') + detail + QLatin1Char(')');
        out.append({start.addMSecs(durationMs), durationMs, interface, QStringLiteral("recv"), text, word, failure});
    }
    return out;
}
