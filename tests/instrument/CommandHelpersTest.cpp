#include "fixtures/FakeClock.h"
#include "fixtures/ScriptedDVM.h"
#include "instrument/CommandHelpers.h"
#include "instrument/Reply.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitLines, CrLfLoneLfAndLoneCrEachEndALine)
{
    EXPECT_EQ(SplitLines("first\r\nsecond"), QStringList({"first", "second"}));
    EXPECT_EQ(SplitLines("a\nb\rc\r"), QStringList({"a", "b", "c"}));
}

TEST(SplitLines, EmptyTextGivesOneEmptyLineAndTrailingCrAddsNone)
{
    EXPECT_EQ(SplitLines(""), QStringList({""}));
    EXPECT_EQ(SplitLines("*0\r"), QStringList({"*0"}));
    EXPECT_EQ(SplitLines("\r\r"), QStringList({"", ""}));
}

TEST(SplitLines, EndedLinesAreTrimmedButAnUnendedLastPieceIsNot)
{
    EXPECT_EQ(SplitLines("  12  \r  tail  "), QStringList({"12", "  tail  "}));
}

TEST(SplitString, FieldsAtEachDelimiterKeepBlanksBeforeIt)
{
    EXPECT_EQ(SplitString("a,b,c", ","), QStringList({"a", "b", "c"}));
    EXPECT_EQ(SplitString("a ,b,c", ","), QStringList({"a ", "b", "c"}));
    EXPECT_EQ(SplitString("  x, y ,", ","), QStringList({"x", "y "}));
}

TEST(SplitString, NoDelimiterGivesTheWholeTextAndEmptyGivesOneEmptyField)
{
    EXPECT_EQ(SplitString("whole text", ","), QStringList({"whole text"}));
    EXPECT_EQ(SplitString("", ","), QStringList({""}));
}

TEST(SplitString, LineEndsBecomeCrAndCountAsTextUnlessDelimiter)
{
    EXPECT_EQ(SplitString("a\r\nb,c", ","), QStringList({"a\rb", "c"}));
    EXPECT_EQ(SplitString("a\nb\r\nc", "\r"), QStringList({"a", "b", "c"}));
}

class PasswordTest : public ::testing::Test
{
protected:
    ScopedFakeClock fake;
    ScriptedDVM dvm;
};

TEST_F(PasswordTest, EachPasswordSendsItsCommandWithItsWaitAndJudgesStarZero)
{
    EXPECT_TRUE(SendSystemPassword(dvm));
    EXPECT_TRUE(SendCalibratePassword(dvm));
    EXPECT_TRUE(SendCalPassword(dvm));
    ASSERT_EQ(dvm.sent.size(), 3);
    EXPECT_EQ(dvm.sent[0].command, "SYSTEM:PASSWORD 5820316");
    EXPECT_EQ(dvm.sent[0].timeout, 5);
    EXPECT_EQ(dvm.sent[1].command, "CALIBRATE:PASSWORD 7715");
    EXPECT_EQ(dvm.sent[1].timeout, 10);
    EXPECT_TRUE(dvm.sent[2].command.startsWith("CAL:PASSWORD "));
    EXPECT_EQ(dvm.sent[2].command.size(), QString("CAL:PASSWORD 0").size());
    for (const auto &s : dvm.sent) {
        EXPECT_TRUE(s.waitForAck);
        EXPECT_EQ(s.packetEndCondition, 1);
    }
}

TEST_F(PasswordTest, AnythingButStarZeroIsFailure)
{
    for (const QString &reply : {QStringLiteral("*7\r"), Reply::Timeout, QString(), QStringLiteral(" *0\r")}) {
        dvm.responder = [reply](const QString &) { return reply; };
        EXPECT_FALSE(SendSystemPassword(dvm)) << reply.toStdString();
        EXPECT_FALSE(SendCalibratePassword(dvm)) << reply.toStdString();
        EXPECT_FALSE(SendCalPassword(dvm)) << reply.toStdString();
    }
}

TEST_F(PasswordTest, PausesAroundThePasswordsFollowTheInstrumentsPace)
{
    const qint64 t0 = fake.clock.nowMs();
    SendSystemPassword(dvm);
    EXPECT_EQ(fake.clock.nowMs() - t0, 200); // 150 ms before, 50 ms after
    const qint64 t1 = fake.clock.nowMs();
    SendCalibratePassword(dvm);
    EXPECT_EQ(fake.clock.nowMs() - t1, 50);
}

} // namespace
