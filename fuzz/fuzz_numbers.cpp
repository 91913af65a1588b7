// Numbers read from instrument replies and typed boxes: leading numbers, rounding, readings in engineering form.

#include "FuzzSupport.h"
#include "instrument/ReadingFormat.h"
#include "procedures/LeadingNumber.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));

    const double value = leadingNumber(text);
    FUZZ_CHECK(std::isfinite(value));
    const double rounded = roundHalfEven(value);
    FUZZ_CHECK(rounded == std::floor(rounded) && std::fabs(rounded - value) <= 0.5);
    const double floored = floorOfDecimal(value);
    FUZZ_CHECK(floored == std::floor(floored));
    const QString integer = integerText(rounded);
    FUZZ_CHECK(!integer.isEmpty() && !integer.contains(QLatin1Char('e')) && !integer.contains(QLatin1Char('.')));

    const QString typed = commandText(text);
    FUZZ_CHECK(!typed.contains(QLatin1Char('\r')) && !typed.contains(QLatin1Char('\n')));

    if (const std::optional<QString> reading = formatEngineeringReading(text))
        FUZZ_CHECK(!reading->isEmpty());
    return 0;
}
