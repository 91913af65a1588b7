#include "instrument/RangeNames.h"

#include <array>
#include <initializer_list>

namespace {

/// A run of consecutive range numbers and their names, in order.
struct RangeGroup
{
    int first;
    std::initializer_list<const char *> names;
};

// The instrument's own numbering, with its gaps between function groups.
const std::array<RangeGroup, 14> kRangeGroups = {{
    {0, {"Null"}},
    {1, {"200mv DC", "2V DC", "20V DC", "200V DC", "1kV DC"}},
    {11, {"200uA DC", "2mA DC", "20mA DC", "200mA DC", "2A DC", "30A DC"}},
    {21, {"200mV AC", "2V AC", "20V AC", "200V AC", "1kV AC"}},
    {31, {"200uA AC", "2mA AC", "20mA AC", "200mA AC", "2A AC", "30A AC"}},
    {41, {"0R", "0.1R", "1R", "10R", "100R", "1kR", "10kR", "100kR", "1MR", "10MR", "100MR", "1GR"}},
    {61, {"1nF", "10nF", "20nF", "50nF", "100nF", "1uF", "10uF", "100uF", "1mF", "10mF", "100mF"}},
    {76, {"1mH", "10mH", "19mH", "29mH", "50mH", "100mH", "1H", "10H"}},
    {86, {"PRT -100", "PRT 0", "PRT 30", "PRT 60", "PRT 100", "PRT 200", "PRT 300", "PRT 400"}},
    {100, {"Timebase", "Bandwidth", "Bandwidth Ref", "Fast Rise"}},
    {104, {"2mV/Div", "5mV/Div", "10mV/Div (Cal)", "20mV/Div", "50mV/Div", "100mV/Div (Cal)", "200mV/Div",
           "500mV/Div", "1V/Div", "2V/Div", "5V/Div", "10V/Div", "20V/Div", "50V/Div"}},
    {120, {"Power 100uA AC", "Power 1mA AC", "Power 10mA AC", "Power 100mA AC", "Power 2A AC", "Power 20A AC"}},
    {126, {"Power 100uA DC", "Power 1mA DC", "Power 10mA DC", "Power 100mA DC", "Power 2A DC", "Power 20A DC"}},
    {135, {"Adapter", "Adapter", "Adapter", "Adapter", "Adapter", "Adapter", "Adapter", "Adapter", "Adapter",
           "Adapter"}},
}};

const std::array<const char *, 25> kFrequencyNames = {
    "10Hz",  "30Hz",  "56Hz",  "106Hz", "206Hz", "596Hz", "1kHz",   "2kHz",   "3.5kHz",
    "5kHz",  "7.5kHz", "10kHz", "15kHz", "20kHz", "30kHz", "40kHz", "50kHz",  "60kHz",
    "80kHz", "100kHz", "200kHz", "400kHz", "500kHz", "750kHz", "1MHz",
};

} // namespace

QString RangeName(int rangeNumber)
{
    for (const RangeGroup &group : kRangeGroups) {
        const int offset = rangeNumber - group.first;
        if (offset >= 0 && offset < int(group.names.size()))
            return QString::fromLatin1(group.names.begin()[offset]);
    }
    return QStringLiteral("Unused");
}

QString FrequencyName(int frequencyNumber)
{
    if (frequencyNumber < 1 || frequencyNumber > int(kFrequencyNames.size()))
        return {};
    return QString::fromLatin1(kFrequencyNames[frequencyNumber - 1]);
}
