// The journal reader on random and damaged lines: it never crashes, never takes a damaged chain
// for an intact one, and always says why it refused a line. (fuzz/fuzz_journal_reader.cpp runs the
// same checks under libFuzzer.)

#include "RecordSamples.h"
#include "records/ChangeJournal.h"
#include "reliability/FileFaults.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

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

TEST(JournalReaderFuzz, ADamagedJournalIsNeverTakenForIntact)
{
    QRandomGenerator random(8122026);
    QTemporaryDir folder;
    for (int round = 0; round < 150; ++round) {
        const QString path = folder.filePath(QStringLiteral("journal-%1.jsonl").arg(round));
        ChangeJournal journal(path);
        for (int n = 1; n <= 4; ++n) {
            JournalRecord record = n == 2 ? fullRecord() : numberedRecord(n);
            ASSERT_TRUE(journal.append(record));
        }
        const QByteArray intact = readAll(path);
        QList<QByteArray> lines = intact.split('\n');
        lines.removeLast();
        const int damaged = random.bounded(int(lines.size()));
        lines[damaged] = mutated(lines[damaged], random);
        QByteArray bytes = lines.join('\n');
        if (random.bounded(4))
            bytes += '\n';
        ASSERT_TRUE(writeAll(path, bytes));

        const ChangeJournal::Verification check = journal.verify();
        const ChangeJournal::Contents contents = journal.records();
        EXPECT_EQ(contents.entries.size() + contents.problems.size(), contents.lineCount);
        for (const ChangeJournal::Problem &problem : contents.problems)
            EXPECT_FALSE(problem.reason.isEmpty());
        if (bytes == intact) {
            EXPECT_TRUE(check.intact);
            continue;
        }
        // Only a change to the last line that still reads as a record passes the chain; the
        // head then differs from the one the intact journal had.
        if (check.intact) {
            EXPECT_EQ(damaged, lines.size() - 1) << bytes.toStdString();
            EXPECT_NE(check.head, ChangeJournal::lineDigest(intact.split('\n').at(lines.size() - 1)));
        } else {
            EXPECT_GE(check.brokenLine, 1);
            EXPECT_LE(check.brokenLine, check.count);
            EXPECT_FALSE(check.reason.isEmpty());
        }
        if (::testing::Test::HasFailure())
            return;
    }
}

} // namespace
