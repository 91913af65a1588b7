#include "procedures/LatchControl.h"

#include "procedures/LeadingNumber.h"

namespace LatchControl {

int latchCount(Kind kind)
{
    return kind == Kind::Main ? 16 : 8;
}

int dataFromBits(const std::array<bool, 8> &bits)
{
    int value = 0;
    for (int i = 0; i < 8; ++i) {
        if (bits[size_t(i)])
            value += 1 << i;
    }
    return value;
}

Request request(Kind kind, const QString &numberText, const QString &dataText)
{
    const double number = roundHalfEven(leadingNumber(numberText));
    const double data = roundHalfEven(leadingNumber(dataText));
    if (data < 0 || data > 255)
        return {{}, QStringLiteral("Latch Data 0-255")};
    const int last = latchCount(kind) - 1;
    if (number < 0 || number > last)
        return {{}, QStringLiteral("Latch 0-%1").arg(last)};
    const QString prefix = kind == Kind::Main ? QStringLiteral("d_setlatch ") : QStringLiteral("d_scopelatch ");
    return {prefix + QString::number(int(number)) + QLatin1Char(',') + QString::number(int(data)), {}};
}

} // namespace LatchControl
