#pragma once

#include <QString>

#include <array>
#include <optional>

/// One current range of the power functions.
struct PowerRange
{
    const char *caption;   ///< "100uA"; the measured current is typed in this unit
    double zeroPointA;     ///< the current sent for the zero point, in amperes
    double fullScaleA;     ///< the current sent for the full-scale point, in amperes
    double nominalReading; ///< the full-scale reading in the caption's unit
};

/// The six current ranges, in the order of the range buttons. The "30A" range is trimmed at 20 A.
inline constexpr std::array<PowerRange, 6> kPowerRanges = {{
    {"100uA", 0.00003, 0.0001, 100},
    {"1mA", 0.0003, 0.001, 1},
    {"10mA", 0.003, 0.01, 10},
    {"100mA", 0.03, 0.1, 100},
    {"2A", 0.3, 2, 2},
    {"30A", 3, 20, 20},
}};

/// The four power factors and the command prefix that sends each.
enum class PowerFactor {
    FullScale = 0,
    Zero = 1,
    Phase50Hz = 2,
    Phase400Hz = 3
};
inline constexpr std::array<const char *, 4> kPowerFactorCommands = {"P", "Z", "N", "MISCCAL "};

/// The new full-scale factor from the present factor F and the measured current M (in the
/// range's unit): F x (N / M) rounded half to even, N the range's nominal reading. Empty when M
/// is not strictly between 0.5 x N and 1.5 x N (an empty or non-numeric entry reads as 0), so no
/// division by a nonsense measurement takes place.
std::optional<double> powerFullScaleFactor(int rangeIndex, double presentFactor, double measured);
