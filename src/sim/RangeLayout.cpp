#include "sim/RangeLayout.h"

namespace {

struct RangeGroup
{
    int first;
    int last;
    int frequencyPoints;
};

// Frequency points are numbered 1 = 10 Hz ... 7 = 1 kHz, 12 = 10 kHz, 20 = 100 kHz, 25 = 1 MHz.
constexpr RangeGroup kGroups[] = {
    {1, 5, 0},      // DC voltage
    {11, 16, 0},    // DC current
    {21, 23, 25},   // AC voltage up to 20 V: to 1 MHz
    {24, 24, 20},   // 200 V AC: to 100 kHz
    {25, 25, 12},   // 1 kV AC: to 10 kHz
    {31, 34, 12},   // AC current up to 200 mA: to 10 kHz
    {35, 35, 10},   // 2 A AC: to 5 kHz
    {36, 36, 7},    // 30 A AC: to 1 kHz
    {41, 52, 0},    // resistance
    {61, 71, 0},    // capacitance
    {76, 83, 0},    // inductance
    {86, 93, 0},    // PRT simulation
    {100, 117, 0},  // oscilloscope timebase, bandwidth, edge and amplitude ranges
    {120, 125, 7},  // power current, AC: to 1 kHz
    {126, 131, 0},  // power current, DC
    {135, 144, 0},  // adapters
};

} // namespace

int RangeLayout::factorCount(int range)
{
    for (const RangeGroup &g : kGroups) {
        if (range >= g.first && range <= g.last)
            return kBaseFactors + g.frequencyPoints;
    }
    return 0;
}
