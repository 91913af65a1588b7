#pragma once

#include "instrument/Exchange.h"

#include <QString>

/// The texts a reply is judged by: the instrument's status lines, and the words that stand for a
/// failure in the reply conventions (see ExchangeReply::conventionalText).
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
/// True when the answer starts with a status ("*" and a digit): the instrument says for certain
/// what it did with the command. Line noise in front of a status makes it uncertain.
inline bool isStatus(const QString &reply)
{
    return reply.size() >= 2 && reply.at(0) == QLatin1Char('*') && reply.at(1).isDigit();
}
} // namespace Reply
