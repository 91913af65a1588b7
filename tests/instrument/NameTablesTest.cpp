#include "instrument/NumberFormat.h"
#include "instrument/RangeNames.h"

#include <gtest/gtest.h>

namespace {

TEST(RangeName, GroupBoundariesAndGaps)
{
    const std::vector<std::pair<int, const char *>> cases = {
        {0, "Null"},          {1, "200mv DC"},       {5, "1kV DC"},         {6, "Unused"},
        {10, "Unused"},       {11, "200uA DC"},      {16, "30A DC"},        {21, "200mV AC"},
        {36, "30A AC"},       {41, "0R"},            {52, "1GR"},           {53, "Unused"},
        {61, "1nF"},          {71, "100mF"},         {76, "1mH"},           {83, "10H"},
        {86, "PRT -100"},     {93, "PRT 400"},       {100, "Timebase"},     {103, "Fast Rise"},
        {104, "2mV/Div"},     {109, "100mV/Div (Cal)"}, {117, "50V/Div"},   {118, "Unused"},
        {120, "Power 100uA AC"}, {131, "Power 20A DC"}, {134, "Unused"},    {135, "Adapter"},
        {144, "Adapter"},     {145, "Unused"},       {-1, "Unused"},        {32767, "Unused"},
    };
    for (const auto &[number, name] : cases)
        EXPECT_EQ(RangeName(number), QString::fromLatin1(name)) << number;
}

TEST(FrequencyName, PointsOneToTwentyFiveAndNothingElse)
{
    EXPECT_EQ(FrequencyName(1), "10Hz");
    EXPECT_EQ(FrequencyName(9), "3.5kHz");
    EXPECT_EQ(FrequencyName(25), "1MHz");
    EXPECT_EQ(FrequencyName(0), "");
    EXPECT_EQ(FrequencyName(26), "");
    EXPECT_EQ(FrequencyName(-3), "");
}

TEST(NumberFormat, GeneralFormIsShortestPlainDecimal)
{
    EXPECT_EQ(formatGeneralNumber(2E-6), "0.000002");
    EXPECT_EQ(formatGeneralNumber(1000000), "1000000");
    EXPECT_EQ(formatGeneralNumber(-12.5), "-12.5");
    EXPECT_EQ(formatGeneralNumber(0.1 + 0.2), "0.3"); // 15 significant digits
    EXPECT_EQ(formatGeneralNumber(0), "0");
    EXPECT_EQ(formatGeneralNumber(1.5E20), "150000000000000000000");
}

TEST(NumberFormat, ScientificFormHasTwoDecimalsAndSignedExponent)
{
    EXPECT_EQ(formatScientificNumber(1E-7), "1.00E-07");
    EXPECT_EQ(formatScientificNumber(2.345E-9), "2.35E-09");
}

} // namespace
