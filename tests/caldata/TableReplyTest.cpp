#include "caldata/TableReply.h"

#include "instrument/Reply.h"

#include <gtest/gtest.h>

namespace {

using Kind = TableReply::Kind;

TEST(TableReply, EachAnswerFallsIntoOneKindByTheTablesOwnCodes)
{
    const TableReply::Codes factors{QStringLiteral("*9"), QStringLiteral("*7")};
    const TableReply::Codes figures{QStringLiteral("*9"), QStringLiteral("*6")};
    struct Case
    {
        QString reply;
        Kind factor;
        Kind figure;
    };
    const Case cases[] = {
        {"*0\r", Kind::Success, Kind::Success},
        {"*0", Kind::Success, Kind::Success},
        {"*9\r", Kind::Refused, Kind::Refused},
        // One table's password code is only some other status to the other.
        {"*7\r", Kind::PasswordNeeded, Kind::OtherStatus},
        {"*6\r", Kind::OtherStatus, Kind::PasswordNeeded},
        {"*5\r", Kind::OtherStatus, Kind::OtherStatus},
        // Nothing from the instrument, or nothing it said for certain.
        {QString(), Kind::NoAnswer, Kind::NoAnswer},
        {Reply::Timeout, Kind::NoAnswer, Kind::NoAnswer},
        {Reply::Busy, Kind::NoAnswer, Kind::NoAnswer},
        {Reply::Overflow, Kind::NoAnswer, Kind::NoAnswer},
        {Reply::NoBoard, Kind::NoAnswer, Kind::NoAnswer},
        {"junk\r*0\r", Kind::NoAnswer, Kind::NoAnswer},
        {QString::fromLatin1("\x80\xfe*0\r"), Kind::NoAnswer, Kind::NoAnswer},
        {"*", Kind::NoAnswer, Kind::NoAnswer},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(TableReply::classify(c.reply, factors), c.factor) << c.reply.toStdString();
        EXPECT_EQ(TableReply::classify(c.reply, figures), c.figure) << c.reply.toStdString();
    }
    // A table without a code never matches it.
    EXPECT_EQ(TableReply::classify(QStringLiteral("*9\r"), {}), Kind::OtherStatus);
}

TEST(TableReply, APrefixSuccessTakesAnyTailAWholeLineSuccessOnlyTheLineEnd)
{
    struct Case
    {
        QString reply;
        bool prefix;
        bool wholeLine;
    };
    const Case cases[] = {
        {"*0\r", true, true},   {"*0", true, true},         {"*0\r\n", true, true},
        {"*07\r", true, false}, {"*0 busy\r", true, false}, {"12\r*0\r", false, false},
        {"*9\r", false, false}, {"TIMEOUT", false, false},  {"", false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(TableReply::isSuccess(c.reply, TableReply::SuccessTest::Prefix), c.prefix) << c.reply.toStdString();
        EXPECT_EQ(TableReply::isSuccess(c.reply, TableReply::SuccessTest::WholeLine), c.wholeLine)
            << c.reply.toStdString();
    }
}

} // namespace
