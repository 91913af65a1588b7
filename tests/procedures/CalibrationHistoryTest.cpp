#include "procedures/CalibrationHistory.h"

#include "ScriptedLink.h"
#include "procedures/LenientDate.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

TEST(CalibrationHistory, TwoEventsListNewestFirstWithTheirRanges)
{
    const CalibrationHistory history =
        CalibrationHistory::parse(QStringLiteral("DATE 01/02/2009\rRANGE 1,2,3\rDATE 05/06/2010\rRANGE 11\r*0\r"));
    const QStringList lines = history.listLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], LenientDate::mediumForm(QDate(2010, 6, 5)));
    EXPECT_EQ(lines[1], LenientDate::mediumForm(QDate(2009, 2, 1)));
    EXPECT_EQ(history.rangeItemsAtLine(0), QStringList({"200uA DC (11)"}));
    EXPECT_EQ(history.rangeItemsAtLine(1), QStringList({"200mv DC (1)", "2V DC (2)", "20V DC (3)"}));
    // Outside the list the range view is left as it is.
    EXPECT_FALSE(history.rangeItemsAtLine(2).has_value());
    EXPECT_FALSE(history.rangeItemsAtLine(-1).has_value());
}

TEST(CalibrationHistory, KeywordsInAnyLetterCase)
{
    const CalibrationHistory history =
        CalibrationHistory::parse(QStringLiteral("date 01/02/2009\rRange 4\rDaTe 02/02/2009\rrAnGe 5,21\r*0\r"));
    ASSERT_EQ(history.listLines().size(), 2);
    EXPECT_EQ(history.rangeItemsAtLine(0), QStringList({"1kV DC (5)", "200mV AC (21)"}));
    EXPECT_EQ(history.rangeItemsAtLine(1), QStringList({"200V DC (4)"}));
}

TEST(CalibrationHistory, RangeNumbersOutsideOneTo148OrNotNumbersAreSkipped)
{
    CalibrationHistory history =
        CalibrationHistory::parse(QStringLiteral("DATE 01/02/2009\rRANGE 0,149,150,-5,abc\r*0\r"));
    EXPECT_EQ(history.rangeItemsAtLine(0), QStringList());
    history = CalibrationHistory::parse(QStringLiteral("DATE 01/02/2009\rRANGE 148, 2.5 ,3x,0.4\r"));
    // 2.5 rounds to the even 2; "3x" reads as 3; 0.4 is above 0 but names no range.
    EXPECT_EQ(history.rangeItemsAtLine(0), QStringList({"2V DC (2)", "20V DC (3)", "Unused (148)"}));
}

TEST(CalibrationHistory, UnreadableDatesAndEmptyEventsStillCount)
{
    const CalibrationHistory history =
        CalibrationHistory::parse(QStringLiteral("RANGE 7\rDATE sometime\rRANGE 41\rDATE 05/06/2010\r*0\r"));
    const QStringList lines = history.listLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], LenientDate::mediumForm(QDate(2010, 6, 5)));
    EXPECT_EQ(lines[1], CalibrationHistory::NoDate);
    EXPECT_EQ(history.rangeItemsAtLine(0), QStringList()) << "a DATE without RANGE lines";
    EXPECT_EQ(history.rangeItemsAtLine(1), QStringList({"0R (41)"}));
    // The RANGE line before the first DATE line went to slot 0, which is never shown.
    EXPECT_TRUE(history.events().at(0).rangeCalibrated.test(7));
}

TEST(CalibrationHistory, NoDateLinesGiveOneEmptyEvent)
{
    for (const char *reply : {"TIMEOUT", "", "*0\r", "RANGE 1,2\r*0\r"}) {
        const CalibrationHistory history = CalibrationHistory::parse(QString::fromLatin1(reply));
        EXPECT_EQ(history.listLines(), QStringList({" --- "})) << reply;
        EXPECT_EQ(history.rangeItemsAtLine(0), QStringList()) << reply;
    }
}

TEST(CalibrationHistory, ReadSendsTheHistoryCommand)
{
    ScriptedLink s;
    s.replies.insert(CalibrationHistory::Command, QStringLiteral("DATE 2030-01-01\rRANGE 120\r*0\r"));
    const CalibrationHistory history = CalibrationHistory::read(s.channel());
    ASSERT_EQ(s.dvm->sent.size(), 1);
    EXPECT_EQ(s.dvm->sent[0].command, "CALIBRATION:HISTORY");
    EXPECT_EQ(s.dvm->sent[0].timeout, 10);
    EXPECT_EQ(s.dvm->sent[0].packetEndCondition, 1);
    EXPECT_EQ(history.rangeItemsAtLine(0), QStringList({"Power 100uA AC (120)"}));
}

} // namespace
