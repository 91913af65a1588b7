#include "procedures/PowerRanges.h"

#include "procedures/LeadingNumber.h"

std::optional<double> powerFullScaleFactor(int rangeIndex, double presentFactor, double measured)
{
    if (rangeIndex < 0 || rangeIndex >= int(kPowerRanges.size()))
        return std::nullopt;
    const double nominal = kPowerRanges[size_t(rangeIndex)].nominalReading;
    if (measured <= 0.5 * nominal || measured >= 1.5 * nominal)
        return std::nullopt;
    return roundHalfEven(presentFactor * (nominal / measured));
}
