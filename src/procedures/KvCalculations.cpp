#include "procedures/KvCalculations.h"

#include "procedures/LeadingNumber.h"

namespace KvCalculations {

Result zeroFactor(double nominal, double measured, double presentFactor, bool acMode)
{
    if (nominal != kZeroNominal)
        return {Check::NominalMustBe1000};
    if (measured < kZeroMeasuredLow || measured > kZeroMeasuredHigh)
        return {Check::MeasuredOutOfRange};
    if (presentFactor < -kZeroFactorLimit || presentFactor > kZeroFactorLimit)
        return {Check::FactorOutOfRange};
    const double k = acMode ? kZeroDivisorAc : kZeroDivisorDc;
    return {Check::Ok, floorOfDecimal(presentFactor - (nominal - measured) * 1000000 / k)};
}

Result fullScaleFactor(double nominal, double measured, double presentFactor)
{
    if (nominal < kFullScaleNominalLow || nominal > kFullScaleNominalHigh)
        return {Check::NominalOutOfRange};
    if (measured < kFullScaleMeasuredLow || measured > kFullScaleMeasuredHigh)
        return {Check::MeasuredOutOfRange};
    if (presentFactor < kFullScaleFactorLow || presentFactor > kFullScaleFactorHigh)
        return {Check::FactorOutOfRange};
    return {Check::Ok, floorOfDecimal((nominal * presentFactor) / measured)};
}

} // namespace KvCalculations
