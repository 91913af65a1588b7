#include "sim/SimNumbers.h"

QByteArray displayValue(double value, const QByteArray &unit)
{
    static const struct
    {
        int exponent;
        const char *prefix;
    } kPrefixes[] = {{9, "G"}, {6, "M"}, {3, "k"}, {0, ""}, {-3, "m"}, {-6, "u"}, {-9, "n"}, {-12, "p"}};
    int exponent = 0;
    const char *prefix = "";
    const double magnitude = std::fabs(value);
    if (magnitude > 0) {
        for (const auto &p : kPrefixes) {
            exponent = p.exponent;
            prefix = p.prefix;
            if (magnitude >= std::pow(10.0, p.exponent) * 0.9999995)
                break;
        }
    }
    const double mantissa = value / std::pow(10.0, exponent);
    const double size = std::fabs(mantissa);
    const int decimals = size < 9.999995 ? 5 : size < 99.99995 ? 4 : 3;
    return QByteArray::number(mantissa, 'f', decimals) + ' ' + prefix + unit;
}
