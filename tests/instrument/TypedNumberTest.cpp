#include "instrument/TypedNumber.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>

namespace {

// One row per typed text: what it reads as a number and as a whole number (nullopt: refused).
struct TypedCase
{
    const char *text;
    std::optional<double> number;
    std::optional<qint32> whole;
};

const TypedCase kCases[] = {
    {"12", 12, 12},
    {"  -3 \t", -3, -3},
    {"+7", 7, 7},
    {"0.5", 0.5, std::nullopt},
    {".5", 0.5, std::nullopt},
    {"5.", 5, std::nullopt},
    {"1.5e3", 1500, std::nullopt},
    {"2E-3", 0.002, std::nullopt},
    {"1e+2", 100, std::nullopt},
    // A number up to a bad character is no number: the reader never stops early.
    {"-3o", std::nullopt, std::nullopt},
    {"0.99x", std::nullopt, std::nullopt},
    {"12a", std::nullopt, std::nullopt},
    {"45.5 Hz", std::nullopt, std::nullopt},
    {"1 000", std::nullopt, std::nullopt},
    {"0,5", std::nullopt, std::nullopt},
    {"1.2.3", std::nullopt, std::nullopt},
    {"5e", std::nullopt, std::nullopt},
    {"5e+", std::nullopt, std::nullopt},
    {"--5", std::nullopt, std::nullopt},
    {"+", std::nullopt, std::nullopt},
    {".", std::nullopt, std::nullopt},
    {"", std::nullopt, std::nullopt},
    {"   ", std::nullopt, std::nullopt},
    {"banana", std::nullopt, std::nullopt},
    {"inf", std::nullopt, std::nullopt},
    {"nan", std::nullopt, std::nullopt},
    {"0x10", std::nullopt, std::nullopt},
    {"1e999", std::nullopt, std::nullopt},
    {"1.2\r\nS0", std::nullopt, std::nullopt},
    // Whole numbers stay within the instrument's 32-bit factors.
    {"2147483647", 2147483647, 2147483647},
    {"-2147483648", -2147483648.0, std::numeric_limits<qint32>::min()},
    {"2147483648", 2147483648.0, std::nullopt},
};

TEST(TypedNumber, ReadsTheWholeTextOrNothing)
{
    for (const TypedCase &c : kCases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(TypedNumber::parseNumber(text), c.number) << '"' << c.text << '"';
        EXPECT_EQ(TypedNumber::parseWholeNumber(text), c.whole) << '"' << c.text << '"';
    }
}

} // namespace
