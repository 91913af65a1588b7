#include "instrument/NumberFormat.h"

#include <QLocale>
#include <cmath>

QString formatGeneralNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == 0.0)
        return QStringLiteral("0");
    // Round to 15 significant digits first, then write every digit without an exponent.
    const QString rounded = QString::number(value, 'g', 15);
    const double v = rounded.toDouble();
    const int magnitude = int(std::floor(std::log10(std::fabs(v))));
    const int decimals = qBound(0, 14 - magnitude, 340);
    QString text = QString::number(v, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

QString formatScientificNumber(double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    QString text = QString::number(value, 'E', 2); // "1.00E-07"; Qt writes at least two exponent digits
    return text;
}
