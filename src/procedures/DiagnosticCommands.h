#pragma once

#include <QString>

#include <array>

/// The calibrator's hardware diagnostic settings, one row each in the correction window.
namespace DiagnosticCommands {

struct Row
{
    const char *caption; ///< the row's button
    const char *prefix;  ///< the command, with its trailing blank, that takes the number
};

inline constexpr std::array<Row, 9> kRows = {{
    {"Set Low Bits", "d_lowbits "},
    {"Set Mid Bits", "d_midbits "},
    {"Set High Bits", "d_highbits "},
    {"Set DDS Frequency", "d_setdds "},
    {"Set Power Board D/A", "d_powerda "},
    {"Set Active Resistance D/A", "d_arda "},
    {"Send phase adjust pulses", "d_phasestep "},
    {"Set Scope VCO 1", "d_vco1 "},
    {"Set Scope VCO 2", "d_vco2 "},
}};

/// The row's prefix and the value in the general number form (1.5e3 gives "1500"); "" for a
/// row that does not exist. No range is checked: the values are the hardware's.
QString command(int row, double value);

} // namespace DiagnosticCommands
