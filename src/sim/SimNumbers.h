#pragma once

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <optional>

/// True for one or more decimal digits and nothing else: no sign, no blank, no point.
inline bool allDigits(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

/// A whole argument read as a number, "." as decimal point; empty when it is no number (or an
/// infinity, which no setting of the instrument can take).
inline std::optional<double> argumentNumber(const QByteArray &argument)
{
    const QByteArray text = argument.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

/// A value as the display shows it: six significant digits with the prefix that keeps the
/// mantissa between 1 and 1000, "30.0000 uA", "10.0000 V", "1.00000 kV".
QByteArray displayValue(double value, const QByteArray &unit);
