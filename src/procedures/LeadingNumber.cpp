#include "procedures/LeadingNumber.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

double leadingNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;

    std::string number;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        number += char(text.at(i++).unicode());
    qsizetype digits = 0;
    while (i < n && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9') {
        number += char(text.at(i++).unicode());
        ++digits;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        number += '.';
        ++i;
        while (i < n && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9') {
            number += char(text.at(i++).unicode());
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    // An exponent counts only when digits follow it: "5e" is 5, "5e-3" is 0.005.
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
            exponent += char(text.at(j++).unicode());
        const qsizetype firstDigit = j;
        while (j < n && text.at(j).unicode() >= '0' && text.at(j).unicode() <= '9')
            exponent += char(text.at(j++).unicode());
        if (j > firstDigit)
            number += exponent;
    }
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1.0;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

double floorOfDecimal(double value)
{
    if (!std::isfinite(value))
        return value;
    // Decimal inputs carry a relative error of about 1e-16 per operation; a millionth of a count
    // is far above that and far below any fraction a real measurement produces.
    const double tolerance = 1e-6 * std::max(1.0, std::fabs(value) * 1e-9);
    return std::floor(value + tolerance);
}

QString integerText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'f', 0);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

QString commandText(const QString &typed)
{
    QString text = typed;
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}
