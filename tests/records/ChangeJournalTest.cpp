#include "records/ChangeJournal.h"

#include "RecordSamples.h"
#include "reliability/FileFaults.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

class ChangeJournalTest : public ::testing::Test
{
protected:
    QString path(const QString &name = QStringLiteral("journal.jsonl")) const { return folder.filePath(name); }

    /// Appends records 1 to n and returns the journal's lines as stored.
    QList<QByteArray> appendNumbered(ChangeJournal &journal, int n)
    {
        for (int i = 1; i <= n; ++i) {
            JournalRecord record = numberedRecord(i);
            QString error;
            EXPECT_TRUE(journal.append(record, &error)) << error.toStdString();
        }
        return lines(journal.path());
    }
    static QList<QByteArray> lines(const QString &file)
    {
        QList<QByteArray> all = readAll(file).split('\n');
        if (!all.isEmpty() && all.constLast().isEmpty())
            all.removeLast();
        return all;
    }
    static void store(const QString &file, const QList<QByteArray> &lines)
    {
        ASSERT_TRUE(writeAll(file, lines.join('\n') + '\n'));
    }

    QTemporaryDir folder;
};

TEST_F(ChangeJournalTest, RecordsComeBackInOrderEachChainedToTheLineBefore)
{
    ChangeJournal journal(path(QStringLiteral("new/folder/journal.jsonl")));
    JournalRecord first = fullRecord();
    first.prev.clear();
    JournalRecord second = numberedRecord(2);
    ASSERT_TRUE(journal.append(first));
    ASSERT_TRUE(journal.append(second));

    const QList<QByteArray> stored = lines(journal.path());
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(first.prev, ChangeJournal::kFirstPrev);
    EXPECT_EQ(second.prev,
              QString::fromLatin1(QCryptographicHash::hash(stored[0], QCryptographicHash::Sha256).toHex()));

    const ChangeJournal::Contents contents = journal.records();
    ASSERT_EQ(contents.entries.size(), 2);
    EXPECT_EQ(contents.entries[0].record, first);
    EXPECT_EQ(contents.entries[1].record, second);

    const ChangeJournal::Verification check = journal.verify();
    EXPECT_TRUE(check.intact) << check.reason.toStdString();
    EXPECT_EQ(check.count, 2);
    EXPECT_EQ(check.head, ChangeJournal::lineDigest(stored[1]));
}

TEST_F(ChangeJournalTest, VerifyFindsAChangedRemovedOrInsertedLineWhereTheChainBreaks)
{
    using Edit = std::function<void(QList<QByteArray> &)>;
    struct Case
    {
        const char *name;
        Edit edit;
        int brokenLine;
        const char *reason;
    };
    const Case cases[] = {
        {"a value changed on line 3", [](QList<QByteArray> &l) { l[2].replace(R"("after":"4")", R"("after":"5")"); }, 4,
         "line 4 does not follow line 3"},
        {"line 3 removed", [](QList<QByteArray> &l) { l.removeAt(2); }, 3, "line 3 does not follow line 2"},
        {"the first line removed", [](QList<QByteArray> &l) { l.removeFirst(); }, 1, "line 1 does not start a journal"},
        {"a copy of line 2 inserted after it", [](QList<QByteArray> &l) { l.insert(2, l[1]); }, 3,
         "line 3 does not follow line 2"},
        {"a line inserted after line 2 with its prev made to fit",
         [](QList<QByteArray> &l) {
             JournalRecord forged = numberedRecord(9);
             forged.prev = ChangeJournal::lineDigest(l[1]);
             l.insert(2, forged.toLine());
         },
         4, "line 4 does not follow line 3"},
        {"line 2 made unreadable", [](QList<QByteArray> &l) { l[1].chop(1); }, 2, "line 2 is not a record: not JSON"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        ChangeJournal journal(file);
        QList<QByteArray> stored = appendNumbered(journal, 5);
        ASSERT_TRUE(journal.verify().intact);
        c.edit(stored);
        store(file, stored);
        const ChangeJournal::Verification check = journal.verify();
        EXPECT_FALSE(check.intact);
        EXPECT_EQ(check.brokenLine, c.brokenLine);
        EXPECT_TRUE(check.reason.startsWith(QLatin1String(c.reason))) << check.reason.toStdString();
        EXPECT_EQ(check.count, stored.size());
        EXPECT_EQ(check.head, ChangeJournal::lineDigest(stored.constLast()));
    }
}

TEST_F(ChangeJournalTest, AnUnfinishedLastLineIsReportedAndNotBuiltOn)
{
    ChangeJournal journal(path());
    appendNumbered(journal, 2);
    QByteArray bytes = readAll(journal.path());
    bytes.chop(1);
    ASSERT_TRUE(writeAll(journal.path(), bytes));

    const ChangeJournal::Verification check = journal.verify();
    EXPECT_FALSE(check.intact);
    EXPECT_EQ(check.brokenLine, 2);
    EXPECT_TRUE(check.reason.contains(QLatin1String("unfinished"))) << check.reason.toStdString();

    JournalRecord record = numberedRecord(3);
    QString error;
    EXPECT_FALSE(journal.append(record, &error));
    EXPECT_TRUE(error.contains(journal.path()) && error.contains(QLatin1String("unfinished"))) << error.toStdString();
    EXPECT_EQ(readAll(journal.path()), bytes);
    EXPECT_EQ(record.prev, numberedRecord(3).prev);
}

TEST_F(ChangeJournalTest, AFailedWriteLeavesTheFileAsItWas)
{
    struct Case
    {
        const char *name;
        std::function<bool()> breakIt; ///< false: this computer cannot show the fault (permissions, as root)
        std::function<void()> repair;
        const char *cause;
    };
    const QString journalPath = path(QStringLiteral("sub/journal.jsonl"));
    std::unique_ptr<ReadOnlyFolder> readOnly;
    std::unique_ptr<FileSizeLimit> limit;
    const Case cases[] = {
        {"a folder that takes no new files",
         [&] {
             QFile::remove(journalPath);
             readOnly = std::make_unique<ReadOnlyFolder>(folder.filePath(QStringLiteral("sub")));
             return readOnly->isReadOnly();
         },
         [&] { readOnly.reset(); }, ""},
        {"a file without write permission",
         [&] {
             QFile::setPermissions(journalPath, QFile::ReadOwner);
             return ::geteuid() != 0;
         },
         [&] { QFile::setPermissions(journalPath, QFile::ReadOwner | QFile::WriteOwner); }, "Permission denied"},
        {"a disk that fills up part way through the line",
         [&] {
             limit = std::make_unique<FileSizeLimit>(QFileInfo(journalPath).size() + 40);
             return limit->ok();
         },
         [&] { limit.reset(); }, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ChangeJournal journal(journalPath);
        appendNumbered(journal, 2);
        if (!c.breakIt()) {
            c.repair();
            std::printf("[  SKIPPED ] %s: this computer cannot show it\n", c.name);
            continue;
        }
        const QByteArray before = readAll(journalPath);
        JournalRecord record = fullRecord();
        QString error;
        const bool appended = journal.append(record, &error);
        c.repair();
        EXPECT_FALSE(appended);
        EXPECT_TRUE(error.contains(journalPath)) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.cause))) << error.toStdString();
        EXPECT_EQ(record.prev, fullRecord().prev);
        EXPECT_EQ(readAll(journalPath), before);
        // Once the fault is gone the chain goes on where it stood.
        ASSERT_TRUE(journal.append(record, &error)) << error.toStdString();
        EXPECT_TRUE(journal.verify().intact) << journal.verify().reason.toStdString();
    }
}

TEST_F(ChangeJournalTest, TwoWritersTakingTurnsKeepOneChain)
{
    ChangeJournal window(path());
    ChangeJournal commandLine(path());
    for (int i = 1; i <= 10; ++i) {
        JournalRecord record = numberedRecord(i);
        ASSERT_TRUE((i % 2 ? window : commandLine).append(record));
    }
    const ChangeJournal::Verification check = window.verify();
    EXPECT_TRUE(check.intact) << check.reason.toStdString();
    EXPECT_EQ(check.count, 10);
    const ChangeJournal::Contents contents = commandLine.records();
    ASSERT_EQ(contents.entries.size(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(contents.entries[i].record.operation, QStringLiteral("cal write %1").arg(i + 1));
}

TEST_F(ChangeJournalTest, ProcessesAppendingAtOnceNeverInterleaveTheirLines)
{
    constexpr int kWriters = 3;
    constexpr int kEach = 40;
    const QString file = path();
    QList<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ChangeJournal journal(file);
            for (int i = 0; i < kEach; ++i) {
                JournalRecord record = numberedRecord(writer * 1000 + i);
                // Long lines, so a write that is not under the lock would show as a torn line.
                record.connection = QString(3000, QLatin1Char('a' + writer));
                if (!journal.append(record))
                    ::_exit(1);
            }
            ::_exit(0);
        }
        children << pid;
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const ChangeJournal journal(file);
    const ChangeJournal::Verification check = journal.verify();
    EXPECT_TRUE(check.intact) << check.reason.toStdString();
    EXPECT_EQ(check.count, kWriters * kEach);
    // Each writer's records stand in the order it wrote them.
    QList<int> next(kWriters, 0);
    for (const ChangeJournal::Entry &entry : journal.records().entries) {
        const int n = entry.record.operation.section(QLatin1Char(' '), 2).toInt();
        EXPECT_EQ(n % 1000, next[n / 1000]++);
    }
}

TEST_F(ChangeJournalTest, TheNewestRecordOfAFileIsFoundByItsDigest)
{
    ChangeJournal journal(path());
    const std::pair<int, QString> files[] = {
        {1, digestOf('a')}, {2, digestOf('b')}, {3, digestOf('a')}, {4, QString()}};
    for (const auto &[n, digest] : files) {
        JournalRecord record = numberedRecord(n, digest);
        ASSERT_TRUE(journal.append(record));
    }
    const std::optional<JournalRecord> found = journal.findFile(digestOf('A'));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->operation, "cal write 3");
    EXPECT_EQ(journal.findFile(digestOf('b'))->operation, "cal write 2");
    EXPECT_FALSE(journal.findFile(digestOf('c')).has_value());
    EXPECT_FALSE(journal.findFile(QString()).has_value());
}

} // namespace
