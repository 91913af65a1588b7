#pragma once

#include <QString>

/// Reply texts that the transports give instead of an instrument's answer.
namespace Reply {
inline const QString Timeout = QStringLiteral("TIMEOUT");
inline const QString Busy = QStringLiteral("BUSY");
/// A peer that never ends its line, or sends data lines without end, is cut off with this text.
inline const QString Overflow = QStringLiteral("OVERFLOW");

/// Every success test compares the first two characters with "*0".
inline bool isSuccess(const QString &reply)
{
    return reply.startsWith(QLatin1String("*0"));
}
inline bool isPasswordNeeded(const QString &reply)
{
    return reply.startsWith(QLatin1String("*7"));
}
} // namespace Reply

/// How the last exchange ended, for callers that must tell a dead line from a refusal.
enum class ExchangeOutcome {
    Answered,    ///< a reply arrived (whatever it says)
    NotAwaited,  ///< sent without waiting
    TimedOut,    ///< no complete reply in time
    PortFailed,  ///< the port would not open or failed during the exchange
    Busy,        ///< refused because an exchange was already running
    Overflow,    ///< the peer sent more than a reply may hold
    NoInterface, ///< no usable interface configured
};
