#include "instrument/TypedNumber.h"

#include <cmath>
#include <limits>

namespace {

bool isDigit(QChar ch)
{
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

bool isSign(QChar ch)
{
    return ch == QLatin1Char('+') || ch == QLatin1Char('-');
}

/// Moves `at` past a run of digits; the number of digits passed.
qsizetype skipDigits(const QString &text, qsizetype &at)
{
    const qsizetype first = at;
    while (at < text.size() && isDigit(text.at(at)))
        ++at;
    return at - first;
}

} // namespace

namespace TypedNumber {

std::optional<double> parseNumber(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype at = 0;
    if (at < t.size() && isSign(t.at(at)))
        ++at;
    qsizetype digits = skipDigits(t, at);
    if (at < t.size() && t.at(at) == QLatin1Char('.')) {
        ++at;
        digits += skipDigits(t, at);
    }
    if (digits == 0)
        return std::nullopt;
    if (at < t.size() && (t.at(at) == QLatin1Char('e') || t.at(at) == QLatin1Char('E'))) {
        ++at;
        if (at < t.size() && isSign(t.at(at)))
            ++at;
        if (skipDigits(t, at) == 0)
            return std::nullopt;
    }
    if (at != t.size())
        return std::nullopt;
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint32> parseWholeNumber(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype at = 0;
    if (at < t.size() && isSign(t.at(at)))
        ++at;
    if (skipDigits(t, at) == 0 || at != t.size())
        return std::nullopt;
    bool ok = false;
    const qlonglong wide = t.toLongLong(&ok);
    if (!ok || wide < std::numeric_limits<qint32>::min() || wide > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(wide);
}

} // namespace TypedNumber
