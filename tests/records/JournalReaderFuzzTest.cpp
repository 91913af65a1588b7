// The journal's line reader on random and damaged lines: it never crashes, and says why it refused
// a line. (fuzz/fuzz_journal_reader.cpp runs these checks and the chain's under libFuzzer.)

#include "RecordSamples.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

/// Pieces a damaged line is likely to get wrong: structure, the wrong kinds of value, escapes.
const QByteArray kTokens[] = {"{",
                              "}",
                              "[",
                              "]",
                              ",",
                              ":",
                              "\"",
                              "\\",
                              "null",
                              "true",
                              "false",
                              "-1",
                              "0.5",
                              "1e999",
                              "\"\\ud800\"",
                              "\"\\u0000\"",
                              "\xff\xfe",
                              "\n",
                              "\"changes\":[{}]",
                              "\"prev\":\"x\"",
                              "\"time\":\"2026-13-40T25:61:00Z\""};

QByteArray mutated(QByteArray line, QRandomGenerator &random)
{
    const int edits = 1 + random.bounded(4);
    for (int e = 0; e < edits; ++e) {
        const qsizetype at = line.isEmpty() ? 0 : random.bounded(int(line.size()));
        switch (random.bounded(5)) {
        case 0: // one byte changed
            if (!line.isEmpty())
                line[at] = char(random.bounded(256));
            break;
        case 1: // a stretch cut out
            line.remove(at, random.bounded(1, 40));
            break;
        case 2: // a stretch repeated
            line.insert(at, line.mid(at, random.bounded(1, 40)));
            break;
        default: // a token slipped in
            line.insert(at, kTokens[random.bounded(int(std::size(kTokens)))]);
        }
    }
    return line;
}

QByteArray randomLine(QRandomGenerator &random)
{
    QByteArray line;
    const int pieces = random.bounded(30);
    for (int p = 0; p < pieces; ++p) {
        if (random.bounded(2))
            line += kTokens[random.bounded(int(std::size(kTokens)))];
        else
            line += char(random.bounded(256));
    }
    return line;
}

/// What the reader must make of any line: a record that writes back to a line reading the same,
/// or a refusal with a reason.
void checkLine(const QByteArray &line)
{
    JournalRecord record;
    QString reason;
    if (JournalRecord::fromLine(line, &record, &reason)) {
        JournalRecord again;
        ASSERT_TRUE(JournalRecord::fromLine(record.toLine(), &again, &reason)) << reason.toStdString() << "\n"
                                                                               << line.toStdString();
        EXPECT_EQ(again, record) << line.toStdString();
        EXPECT_FALSE(record.toLine().contains('\n'));
    } else {
        EXPECT_FALSE(reason.isEmpty()) << line.toStdString();
    }
}

TEST(JournalReaderFuzz, RandomAndDamagedLinesAreReadOrRefusedWithAReason)
{
    QRandomGenerator random(20261208);
    const QByteArray good = fullRecord().toLine();
    for (int i = 0; i < 3000; ++i) {
        checkLine(randomLine(random));
        checkLine(mutated(good, random));
        if (::testing::Test::HasFailure())
            return;
    }
}

} // namespace
