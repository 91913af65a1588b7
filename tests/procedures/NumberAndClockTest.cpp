#include "procedures/ClockCommand.h"
#include "procedures/LeadingNumber.h"

#include <gtest/gtest.h>

namespace {

TEST(LeadingNumber, ReadsTheNumberATextStartsWithAndIgnoresTheRest)
{
    const struct
    {
        const char *text;
        double value;
    } cases[] = {
        {"1000", 1000},     {"12a", 12},        {"  -3.5 V", -3.5}, {"+7", 7},
        {".5", 0.5},        {"5.", 5},          {"1.5e3", 1500},    {"1.5E-3x", 0.0015},
        {"5e", 5},          {"5e+", 5},         {"", 0},            {"abc", 0},
        {"-", 0},           {".", 0},           {"1,5", 1},         {"1e400", 0},
        {"\t42", 42},       {"1000.0", 1000},   {"999.999", 999.999},
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(Rounding, HalfwayGoesToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(12344.5), 12344);
    EXPECT_EQ(roundHalfEven(12345.5), 12346);
    EXPECT_EQ(roundHalfEven(19980.02), 19980);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(0.49), 0);
    EXPECT_EQ(roundHalfEven(0.51), 1);
}

TEST(ClockCommand, TenDigitsDayMonthYearHourMinuteZeroPadded)
{
    const struct
    {
        QDate date;
        QTime time;
        const char *digits;
    } cases[] = {
        {QDate(2026, 3, 5), QTime(14, 7, 59), "0503261407"},
        {QDate(2030, 1, 1), QTime(9, 5), "0101300905"},
        {QDate(2000, 12, 31), QTime(23, 59), "3112002359"},
        {QDate(2009, 6, 15), QTime(0, 0), "1506090000"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ClockCommand::digits(c.date, c.time), QString::fromLatin1(c.digits)) << c.digits;
    EXPECT_EQ(ClockCommand::command(QDate(2030, 1, 1), QTime(9, 5)), "SYSTEM:SETDATE 0101300905");
}

} // namespace
