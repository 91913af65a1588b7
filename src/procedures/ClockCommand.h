#pragma once

#include <QDate>
#include <QString>
#include <QTime>

/// The instrument's clock command: "SYSTEM:SETDATE " and ten digits DDMMYYhhmm.
namespace ClockCommand {
inline const QString Prefix = QStringLiteral("SYSTEM:SETDATE ");

/// Day, month, the last two digits of the year, hour (0-23) and minute, each as two digits:
/// 5 March 2026 14:07 gives "0503261407". Seconds are not sent.
QString digits(const QDate &date, const QTime &time);

/// The whole command for a date and a time of day.
QString command(const QDate &date, const QTime &time);
} // namespace ClockCommand
