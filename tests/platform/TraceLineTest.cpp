#include "platform/TraceLine.h"

#include <gtest/gtest.h>

namespace {

TEST(VisibleWireText, ShowsEveryByteThatDoesNotPrintAndKeepsTheRest)
{
    const struct
    {
        QByteArray wire;
        const char *shown;
    } cases[] = {
        {"CAL:PRINT 002\r", "CAL:PRINT 002\\r"},
        {"*0\r\n", "*0\\r\\n"},
        {QByteArray("\x00\x1b~", 3), "\\x00\\x1b~"},
        {"\x7f\x80\xff", "\\x7f\\x80\\xff"},
        // A backslash is doubled, so "\r" typed by the instrument is told from a CR.
        {"a\\rb", "a\\\\rb"},
        {"", ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(visibleWireText(c.wire), QString::fromLatin1(c.shown)) << c.shown;
        // Text that came in as Latin-1 is shown the same way.
        EXPECT_EQ(visibleWireText(QString::fromLatin1(c.wire)), QString::fromLatin1(c.shown)) << c.shown;
    }
    EXPECT_EQ(visibleWireText(QStringLiteral("\u20ac")), "\\u20ac");
}

/// A small RFC 4180 reader: the tests read back what the writer wrote without trusting it.
QList<QStringList> readCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || !row.isEmpty())
        rows << (row << field);
    return rows;
}

TEST(TraceCsv, RowsReadBackFieldForFieldWithCommasQuotesAndLineBreaks)
{
    const QDateTime at(QDate(2031, 2, 3), QTime(4, 5, 6, 789));
    const QList<TraceLine> lines = {
        {at, 12, QStringLiteral("COM1 /dev/ttyUSB0"), QStringLiteral("send"), QStringLiteral("CAL:PRINT 002\\r"),
         QStringLiteral("answered"), false},
        {at, 0, QStringLiteral("ETH 127.0.0.2:10001"), QStringLiteral("recv"), QStringLiteral("1,2,\"three\""),
         QStringLiteral("refused *3"), true},
        {at, -1, QStringLiteral("USB QV1"), QStringLiteral("lost"), QStringLiteral("line one\r\nline two\rend"),
         QStringLiteral("lost"), true},
        {at, 5, QString(), QStringLiteral("recv"), QStringLiteral("\""), QString(), false},
    };
    QString text = TraceFormat::csvHeader() + QLatin1String(TraceFormat::kCsvLineEnd);
    for (const TraceLine &line : lines)
        text += TraceFormat::csvRow(line) + QLatin1String(TraceFormat::kCsvLineEnd);

    const QList<QStringList> rows = readCsv(text);
    ASSERT_EQ(rows.size(), lines.size() + 1);
    EXPECT_EQ(rows[0], QStringList({"time", "duration_ms", "interface", "direction", "text", "outcome"}));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const TraceLine &line = lines[i];
        const QStringList &row = rows[i + 1];
        ASSERT_EQ(row.size(), 6) << i;
        EXPECT_EQ(QDateTime::fromString(row[0], Qt::ISODateWithMs), line.time);
        EXPECT_EQ(row[1], line.durationMs < 0 ? QString() : QString::number(line.durationMs));
        EXPECT_EQ(row[2], line.interface);
        EXPECT_EQ(row[3], line.direction);
        EXPECT_EQ(row[4], line.text);
        EXPECT_EQ(row[5], line.outcome);
    }
    // Quoted only where a field needs it.
    EXPECT_EQ(TraceFormat::csvField(QStringLiteral("plain text")), "plain text");
    EXPECT_EQ(TraceFormat::csvField(QStringLiteral("a\"b")), "\"a\"\"b\"");
}

TEST(TraceText, LinesStartWithTheTimeOfDayAndNameAFailureAfterTheText)
{
    const QDateTime at(QDate(2031, 2, 3), QTime(14, 5, 6, 7));
    EXPECT_EQ(TraceFormat::textLine({at, 3, "COM1", "send", "CAL:PRINT 002\\r", "answered", false}),
              "14:05:06.007 send CAL:PRINT 002\\r");
    EXPECT_EQ(TraceFormat::textLine({at, 2000, "COM1", "recv", "", "time-out", true}), "14:05:06.007 recv -- time-out");
    EXPECT_EQ(TraceFormat::textLine({at, -1, "COM1", "close", "", "closed", false}), "14:05:06.007 close");
}

} // namespace
