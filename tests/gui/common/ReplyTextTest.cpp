#include "gui/common/ReplyText.h"

#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

TEST(ReplyText, EachLineEndBecomesOneLineBreak)
{
    const struct
    {
        const char *text;
        const char *shown;
    } cases[] = {
        {"5200 Series\r\n", "5200 Series\n"},
        {"ps 001\rps 002\r", "ps 001\nps 002\n"},
        {"a\r\r\nb\n", "a\n\nb\n"},
        {"no line end", "no line end"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(withLineBreaks(QString::fromLatin1(c.text)), QString::fromLatin1(c.shown)) << c.text;
}

TEST(ReplyText, AReplyGoesAfterTheLastOneWhereverTheCursorWas)
{
    QPlainTextEdit box;
    box.setPlainText(QStringLiteral("first\n"));
    box.moveCursor(QTextCursor::Start);
    appendReply(&box, QStringLiteral("second\r\nthird\r"));
    EXPECT_EQ(box.toPlainText(), QStringLiteral("first\nsecond\nthird\n"));
    EXPECT_EQ(box.textCursor().position(), box.toPlainText().size());
}

} // namespace
