#include "sim/LineAssembler.h"

#include <gtest/gtest.h>

namespace {

using Lines = QList<QByteArray>;

TEST(LineAssemblerTest, CrEndsALineLfIsIgnoredAnywhere)
{
    LineAssembler a;
    EXPECT_EQ(a.feed("*IDN?\rT\r\n"), (Lines{"*IDN?", "T"}));
    EXPECT_EQ(a.feed("\nCAL:PR\nINT 001\r"), (Lines{"CAL:PRINT 001"}));
    EXPECT_EQ(a.feed("\r"), (Lines{""})) << "a bare CR is an empty line; the interpreter ignores it";
}

TEST(LineAssemblerTest, ALineMayComeInManyPieces)
{
    LineAssembler a;
    EXPECT_TRUE(a.feed("SYSTEM:").isEmpty());
    EXPECT_TRUE(a.feed("PASSWORD ").isEmpty());
    EXPECT_EQ(a.feed(QByteArray("5820316\rT", 9)), (Lines{"SYSTEM:PASSWORD 5820316"}));
    EXPECT_EQ(a.feed("\r"), (Lines{"T"}));
}

TEST(LineAssemblerTest, AnOverlongLineIsDroppedUpToItsCr)
{
    LineAssembler a(16);
    EXPECT_EQ(a.feed("0123456789abcdef\r"), (Lines{"0123456789abcdef"})) << "exactly the limit is kept";
    EXPECT_TRUE(a.feed("0123456789abcdefX").isEmpty());
    EXPECT_TRUE(a.feed(QByteArray(100000, 'y')).isEmpty());
    // The rest of the monster up to its CR is not a command; the next line is.
    EXPECT_EQ(a.feed("tail\r*IDN?\r"), (Lines{"*IDN?"}));
}

} // namespace
