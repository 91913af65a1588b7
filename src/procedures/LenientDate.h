#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

/// Dates and times as the instrument writes them and as the engineer reads them.
namespace LenientDate {

/// The date a time of day alone stands on, as the platform's date arithmetic counts it.
inline QDate zeroDate()
{
    return QDate(1899, 12, 30);
}

/// Reads a date, a time or both from an instrument's text, trying the user's locale forms first,
/// then ISO 8601, then the day/month/year forms ("05/03/2026", "5-3-26", "25-Dec-09",
/// "5 March 2026"), each optionally followed by a time ("14:07", "14:07:09", "2:07 PM").
/// Two-digit years 00-29 are 2000-2029 and 30-99 are 1930-1999. A time alone stands on
/// zeroDate(); a date alone at midnight. Blanks around the text are ignored.
std::optional<QDateTime> parse(const QString &text);

/// The instrument's clock from its information reply ("T"): the date of line 3 plus the time of
/// day of line 4 (lines counted from 0). Empty when the reply has fewer than five lines or either
/// line cannot be read.
std::optional<QDateTime> instrumentClock(const QString &informationReply);

/// The form both clock labels use: the locale's long date, a blank and its short time.
QString displayForm(const QDateTime &at);

/// The medium date the history list shows: day, abbreviated month name and two-digit year,
/// "25-Dec-09", month name in the user's language.
QString mediumForm(const QDate &date);

} // namespace LenientDate
