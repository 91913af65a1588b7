#pragma once

#include <QString>

/// Reply texts that the transports give instead of an instrument's answer.
namespace Reply {
inline const QString Timeout = QStringLiteral("TIMEOUT");
inline const QString Busy = QStringLiteral("BUSY");
/// A peer that never ends its line, or sends data lines without end, is cut off with this text.
inline const QString Overflow = QStringLiteral("OVERFLOW");
/// The GPIB route's answer when there is no board (or it is locked): no instrument was asked.
inline const QString NoBoard = QStringLiteral("False");

/// Every success test compares the first two characters with "*0".
inline bool isSuccess(const QString &reply)
{
    return reply.startsWith(QLatin1String("*0"));
}
inline bool isPasswordNeeded(const QString &reply)
{
    return reply.startsWith(QLatin1String("*7"));
}
/// True when the text is not the instrument's answer at all: the port was unusable (""), nothing
/// came in time, the exchange was refused as a re-entry, the peer flooded the line, or there is no
/// GPIB board. Whether the instrument heard and carried out the command is then unknown.
inline bool isNoAnswer(const QString &reply)
{
    return reply.isEmpty() || reply == Timeout || reply == Busy || reply == Overflow || reply == NoBoard;
}
/// True when the answer starts with a status ("*" and a digit): the instrument says for certain
/// what it did with the command. Line noise in front of a status makes it uncertain.
inline bool isStatus(const QString &reply)
{
    return reply.size() >= 2 && reply.at(0) == QLatin1Char('*') && reply.at(1).isDigit();
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
