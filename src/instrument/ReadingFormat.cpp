#include "instrument/ReadingFormat.h"

#include <array>
#include <cmath>

namespace {

struct Prefix
{
    int maxExponent;
    int shift;
    QLatin1Char symbol;
};

// The first row whose limit the exponent does not exceed decides.
constexpr std::array<Prefix, 8> kPrefixes = {{
    {-9, 9, QLatin1Char('n')},
    {-6, 6, QLatin1Char('u')},
    {-3, 3, QLatin1Char('m')},
    {0, 0, QLatin1Char(' ')},
    {3, -3, QLatin1Char('k')},
    {6, -6, QLatin1Char('M')},
    {9, -9, QLatin1Char('G')},
    {12, -12, QLatin1Char('T')},
}};

constexpr int kMinDecimals = 3;
constexpr int kMaxDecimals = 6;

// The mantissa: the whole text before the "E", blanks aside.
std::optional<double> mantissaOf(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// The exponent: a sign and digits at the start of the text after the "E"; what follows them
// (a unit, say) is not part of it.
std::optional<int> exponentOf(const QString &text)
{
    qsizetype i = 0;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    const qsizetype digitsFrom = i;
    while (i < text.size() && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9')
        ++i;
    if (i == digitsFrom)
        return std::nullopt;
    bool ok = false;
    const int value = text.left(i).toInt(&ok);
    // More digits than an int holds: far beyond any prefix either way.
    if (!ok)
        return text.startsWith(QLatin1Char('-')) ? -100000 : 100000;
    return value;
}

// "0.000###": three decimals always, up to three more where they are not zero.
QString formatDecimals(double value)
{
    // A value that rounds to zero is shown without a sign.
    if (std::abs(value) < 0.5e-6)
        value = 0.0;
    QString text = QString::number(value, 'f', kMaxDecimals);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    while (text.size() > point + 1 + kMinDecimals && text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

} // namespace

std::optional<QString> formatEngineeringReading(const QString &reading)
{
    const QString text = reading.toUpper();
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    if (e < 0)
        return std::nullopt;
    const auto mantissa = mantissaOf(text.left(e));
    const auto exponent = exponentOf(text.mid(e + 1));
    // "OVERLOAD" holds an "E" but is no number: reading it as 0 would show a plainly wrong value.
    if (!mantissa || !exponent)
        return std::nullopt;

    int shift = 0;
    QString suffix;
    for (const Prefix &p : kPrefixes) {
        if (*exponent <= p.maxExponent) {
            shift = p.shift;
            suffix = QString(p.symbol);
            break;
        }
    }
    const double value = *mantissa * std::pow(10.0, *exponent + shift);
    // An exponent far beyond any instrument's range cannot be written out: show the reading as it came.
    if (!std::isfinite(value))
        return text;
    return formatDecimals(value) + suffix;
}
