#include "instrument/TypedNumber.h"

#include <cmath>
#include <limits>

// QString's conversions read "." as the decimal point whatever the locale, allow blanks around
// the figure and refuse anything else after it, which is exactly what a typed figure must be.

namespace TypedNumber {

std::optional<double> parseNumber(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    // An infinity or "nan" is a word the conversion knows, not a figure.
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint32> parseWholeNumber(const QString &text)
{
    bool ok = false;
    const qlonglong wide = text.trimmed().toLongLong(&ok, 10);
    if (!ok || wide < std::numeric_limits<qint32>::min() || wide > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(wide);
}

} // namespace TypedNumber
