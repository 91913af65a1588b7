#include "instrument/ReadingFormat.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadingFormat, ExponentPicksThePrefixAndTheMantissaIsScaledToIt)
{
    const struct
    {
        const char *reading;
        const char *shown;
    } cases[] = {
        {"1.5E-04", "0.150m"},
        {"2E+02", "0.200k"},
        {"1E-9", "1.000n"},
        {"1E+00", "1.000 "},
        {"1e-3", "1.000m"},            // upper-cased first
        {"-4.7E-07", "-0.470u"},
        {"1.23456789E+03", "1.234568k"}, // at most six decimals
        {"1.000E+06", "1.000M"},
        {"7.5E+07", "0.075G"},
        {"5E+12", "5.000T"},
        {"3E-15", "0.000003n"},       // below nano stays in nano
        {"3E-18", "0.000n"},
        {"1E+13", "10000000000000.000"}, // above tera: unscaled, no prefix
        {"+1.00000E-03 VDC", "1.000m"}, // what follows the exponent's number is not read
    };
    for (const auto &c : cases) {
        const auto shown = formatEngineeringReading(QString::fromLatin1(c.reading));
        ASSERT_TRUE(shown.has_value()) << c.reading;
        EXPECT_EQ(*shown, QString::fromLatin1(c.shown)) << c.reading;
    }
}

TEST(ReadingFormat, TextWithoutANumberAndExponentIsNoReadingAndAHugeExponentIsShownAsItCame)
{
    EXPECT_FALSE(formatEngineeringReading(QStringLiteral("12.5")).has_value());
    EXPECT_FALSE(formatEngineeringReading(QString()).has_value());
    // An "E" in a word is no exponent.
    for (const char *text : {"OVERLOAD", "E+03", "1.5E", "1.5E+x", "ERR -222"})
        EXPECT_FALSE(formatEngineeringReading(QString::fromLatin1(text)).has_value()) << text;
    EXPECT_EQ(formatEngineeringReading(QStringLiteral("1e+400")), QStringLiteral("1E+400"));
}

} // namespace
