#pragma once

/// The kV amplifier's factor arithmetic and the windows its inputs must lie in.
namespace KvCalculations {

/// Why a calculation refused to run; Ok when it produced a factor.
enum class Check {
    Ok,
    NominalMustBe1000,
    NominalOutOfRange,
    MeasuredOutOfRange,
    FactorOutOfRange
};

struct Result
{
    Check check = Check::Ok;
    double factor = 0; ///< whole number, valid when check is Ok
};

/// Counts of the zero factor per volt of error, scaled by 1e6: the AC path is less sensitive.
inline constexpr double kZeroDivisorAc = 38;
inline constexpr double kZeroDivisorDc = 50;

inline constexpr double kZeroNominal = 1000;
inline constexpr double kZeroMeasuredLow = 500;
inline constexpr double kZeroMeasuredHigh = 2000;
inline constexpr double kZeroFactorLimit = 10000000;

inline constexpr double kFullScaleNominalLow = 1500;
inline constexpr double kFullScaleNominalHigh = 10000;
inline constexpr double kFullScaleMeasuredLow = 1500;
inline constexpr double kFullScaleMeasuredHigh = 11000;
inline constexpr double kFullScaleFactorLow = 100000000;
inline constexpr double kFullScaleFactorHigh = 900000000;

/// New zero factor from nominal Vn (must be 1000), measured Vm (500-2000) and present factor Z
/// (within +-10000000): the largest integer not above Z - (Vn - Vm) x 1e6 / k. Checks in this
/// order; the first that fails decides.
Result zeroFactor(double nominal, double measured, double presentFactor, bool acMode);

/// New full-scale factor from nominal Vn (1500-10000), measured Vm (1500-11000) and present
/// factor F (1e8-9e8): the largest integer not above (Vn x F) / Vm.
Result fullScaleFactor(double nominal, double measured, double presentFactor);

} // namespace KvCalculations
