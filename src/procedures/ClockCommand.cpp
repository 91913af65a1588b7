#include "procedures/ClockCommand.h"

namespace {

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString ClockCommand::digits(const QDate &date, const QTime &time)
{
    // The instrument keeps a two-digit year: 2000 is "00", 2009 is "09".
    const int year = ((date.year() % 100) + 100) % 100;
    return twoDigits(date.day()) + twoDigits(date.month()) + twoDigits(year) + twoDigits(time.hour())
           + twoDigits(time.minute());
}

QString ClockCommand::command(const QDate &date, const QTime &time)
{
    return Prefix + digits(date, time);
}
