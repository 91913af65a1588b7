#include "procedures/LatchControl.h"

#include "instrument/TypedNumber.h"
#include "procedures/FigureInput.h"

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
    const std::optional<qint32> data = TypedNumber::parseWholeNumber(dataText);
    if (!data)
        return {
            {}, FigureInput::notAWholeNumberText(QStringLiteral("Latch Data"), dataText), InputBox::Kind::LatchData};
    const std::optional<qint32> number = TypedNumber::parseWholeNumber(numberText);
    if (!number)
        return {{},
                FigureInput::notAWholeNumberText(QStringLiteral("Latch Number"), numberText),
                InputBox::Kind::LatchNumber};
    if (*data < 0 || *data > 255)
        return {{}, QStringLiteral("Latch Data 0-255"), InputBox::Kind::LatchData};
    const int last = latchCount(kind) - 1;
    if (*number < 0 || *number > last)
        return {{}, QStringLiteral("Latch 0-%1").arg(last), InputBox::Kind::LatchNumber};
    const QString prefix = kind == Kind::Main ? QStringLiteral("d_setlatch ") : QStringLiteral("d_scopelatch ");
    return {prefix + QString::number(*number) + QLatin1Char(',') + QString::number(*data), {}, {}};
}

} // namespace LatchControl
