#include "procedures/LenientDate.h"

#include "instrument/CommandHelpers.h"

#include <QLocale>
#include <QStringList>

namespace {

// Day first, as the instrument and most of the world write dates.
const QStringList kDayMonthYearForms = {
    QStringLiteral("d/M/yyyy"), QStringLiteral("d/M/yy"),     QStringLiteral("d-M-yyyy"),
    QStringLiteral("d-M-yy"),   QStringLiteral("d.M.yyyy"),   QStringLiteral("d.M.yy"),
    QStringLiteral("d-MMM-yyyy"), QStringLiteral("d-MMM-yy"), QStringLiteral("d MMM yyyy"),
    QStringLiteral("d MMM yy"), QStringLiteral("d MMMM yyyy"), QStringLiteral("d-MMMM-yyyy"),
    QStringLiteral("d/MMM/yyyy"), QStringLiteral("d/MMM/yy"),
};

const QStringList kTimeForms = {
    QStringLiteral("H:mm:ss"), QStringLiteral("H:mm"), QStringLiteral("h:mm:ss AP"),
    QStringLiteral("h:mm AP"), QStringLiteral("H.mm.ss"), QStringLiteral("H.mm"),
};

bool hasTwoDigitYearOnly(const QString &format)
{
    return format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
}

// Qt reads "yy" as 19yy; the platform's window puts 00-29 in this century.
QDate windowTwoDigitYear(const QDate &date, const QString &format)
{
    if (date.isValid() && hasTwoDigitYearOnly(format) && date.year() < 1930)
        return date.addYears(100);
    return date;
}

std::optional<QDateTime> tryDateTime(const QLocale &locale, const QString &text, const QString &format)
{
    const QDateTime at = locale.toDateTime(text, format);
    if (!at.isValid())
        return std::nullopt;
    return QDateTime(windowTwoDigitYear(at.date(), format), at.time());
}

std::optional<QDateTime> tryDate(const QLocale &locale, const QString &text, const QString &format)
{
    const QDate date = windowTwoDigitYear(locale.toDate(text, format), format);
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, QTime(0, 0));
}

std::optional<QDateTime> tryTime(const QLocale &locale, const QString &text, const QString &format)
{
    const QTime time = locale.toTime(text, format);
    if (!time.isValid())
        return std::nullopt;
    return QDateTime(LenientDate::zeroDate(), time);
}

std::optional<QDateTime> tryLocaleForms(const QLocale &locale, const QString &text)
{
    for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat, QLocale::NarrowFormat}) {
        if (auto at = tryDateTime(locale, text, locale.dateTimeFormat(type)))
            return at;
    }
    for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat, QLocale::NarrowFormat}) {
        if (auto at = tryDate(locale, text, locale.dateFormat(type)))
            return at;
    }
    for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat, QLocale::NarrowFormat}) {
        if (auto at = tryTime(locale, text, locale.timeFormat(type)))
            return at;
    }
    return std::nullopt;
}

std::optional<QDateTime> tryIso(const QString &text)
{
    const QDateTime at = QDateTime::fromString(text, Qt::ISODate);
    if (at.isValid())
        return QDateTime(at.date(), at.time());
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    // "14:07" and "14:07:09" are ISO times, read with the time forms below.
    return std::nullopt;
}

std::optional<QDateTime> tryDayMonthYearForms(const QLocale &locale, const QString &text)
{
    // Month names in the user's language first, then in English as the instrument writes them.
    for (const QLocale &names : {locale, QLocale::c()}) {
        for (const QString &dateForm : kDayMonthYearForms) {
            if (auto at = tryDate(names, text, dateForm))
                return at;
            for (const QString &timeForm : kTimeForms) {
                if (auto at = tryDateTime(names, text, dateForm + QLatin1Char(' ') + timeForm))
                    return at;
            }
        }
    }
    for (const QString &timeForm : kTimeForms) {
        if (auto at = tryTime(QLocale::c(), text, timeForm))
            return at;
    }
    return std::nullopt;
}

} // namespace

std::optional<QDateTime> LenientDate::parse(const QString &text)
{
    const QString t = text.simplified();
    if (t.isEmpty())
        return std::nullopt;
    const QLocale locale;
    if (auto at = tryLocaleForms(locale, t))
        return at;
    if (auto at = tryIso(t))
        return at;
    return tryDayMonthYearForms(locale, t);
}

std::optional<QDateTime> LenientDate::instrumentClock(const QString &informationReply)
{
    const QStringList lines = SplitLines(informationReply);
    if (lines.size() < 5)
        return std::nullopt;
    const std::optional<QDateTime> date = parse(lines.at(3));
    const std::optional<QDateTime> time = parse(lines.at(4));
    if (!date || !time)
        return std::nullopt;
    return date->addMSecs(time->time().msecsSinceStartOfDay());
}

QString LenientDate::displayForm(const QDateTime &at)
{
    const QLocale locale;
    return locale.toString(at.date(), QLocale::LongFormat) + QLatin1Char(' ')
           + locale.toString(at.time(), QLocale::ShortFormat);
}

QString LenientDate::mediumForm(const QDate &date)
{
    return QLocale().toString(date, QStringLiteral("dd-MMM-yy"));
}
