#include "records/TraceLog.h"

#include "records/TraceExport.h"
#include "records/TraceFile.h"
#include "records/TraceLogFilter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TraceLine lineNo(int n, bool failed = false, const QString &text = {})
{
    return {QDateTime(QDate(2031, 1, 1), QTime(0, 0)).addMSecs(n),
            n,
            QStringLiteral("COM1"),
            QStringLiteral("send"),
            text.isEmpty() ? QStringLiteral("L%1").arg(n) : text,
            failed ? QStringLiteral("time-out") : QStringLiteral("answered"),
            failed};
}

QStringList texts(const QAbstractItemModel &model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.index(row, TraceLog::TextColumn).data().toString();
    return out;
}

TEST(TraceLog, LinesAppearInOneInsertionPerFlushAndTheOldestGoPastTheCap)
{
    TraceLog log(5);
    int inserted = 0;
    int reset = 0;
    QObject::connect(&log, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&log, &QAbstractItemModel::modelReset, [&] { ++reset; });
    log.append({lineNo(1), lineNo(2), lineNo(3)});
    EXPECT_EQ(log.rowCount(), 0) << "nothing shows before the flush";
    log.append({lineNo(4)});
    log.flush();
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(texts(log), QStringList({"L1", "L2", "L3", "L4"}));

    log.append({lineNo(5), lineNo(6), lineNo(7)});
    log.flush();
    EXPECT_EQ(inserted, 2);
    EXPECT_EQ(texts(log), QStringList({"L3", "L4", "L5", "L6", "L7"}));

    // More than the cap in one batch keeps the newest of the batch.
    QList<TraceLine> many;
    for (int n = 10; n < 20; ++n)
        many << lineNo(n);
    log.append(many);
    log.flush();
    EXPECT_EQ(texts(log), QStringList({"L15", "L16", "L17", "L18", "L19"}));
    EXPECT_EQ(reset, 0) << "no reset per record";

    log.setCapacity(2);
    EXPECT_EQ(texts(log), QStringList({"L18", "L19"}));
}

TEST(TraceLog, PauseHoldsLinesUntilResumeAndClearDropsThemAll)
{
    TraceLog log(100);
    log.append({lineNo(1)});
    log.flush();
    log.setPaused(true);
    log.append({lineNo(2), lineNo(3)});
    log.flush();
    EXPECT_EQ(texts(log), QStringList({"L1"}));
    log.setPaused(false);
    EXPECT_EQ(texts(log), QStringList({"L1", "L2", "L3"}));

    log.append({lineNo(4)});
    log.clear();
    log.flush();
    EXPECT_EQ(log.rowCount(), 0) << "a queued line does not come back after Clear";
}

TEST(TraceLogFilter, NarrowsByTextInAnyCaseAndToFailures)
{
    TraceLog log(100);
    log.append({lineNo(1, false, QStringLiteral("CAL:PRINT 001\\r")), lineNo(2, true, QStringLiteral("T\\r")),
                lineNo(3, false, QStringLiteral("cal:password 0\\r")),
                lineNo(4, true, QStringLiteral("CAL:PRINT 002\\r"))});
    log.flush();
    TraceLogFilter filter;
    filter.setSourceModel(&log);

    const struct
    {
        const char *text;
        bool errorsOnly;
        QStringList shown;
    } cases[] = {
        {"", false, {"CAL:PRINT 001\\r", "T\\r", "cal:password 0\\r", "CAL:PRINT 002\\r"}},
        {"cal:", false, {"CAL:PRINT 001\\r", "cal:password 0\\r", "CAL:PRINT 002\\r"}},
        {"", true, {"T\\r", "CAL:PRINT 002\\r"}},
        {"print", true, {"CAL:PRINT 002\\r"}},
        {"time-out", false, {"T\\r", "CAL:PRINT 002\\r"}}, // the outcome is searched too
        {"nothing like it", false, {}},
    };
    for (const auto &c : cases) {
        filter.setText(QString::fromLatin1(c.text));
        filter.setErrorsOnly(c.errorsOnly);
        EXPECT_EQ(texts(filter), c.shown) << c.text << " errors only " << c.errorsOnly;
    }

    // Lines that come while filtered are filtered as they come.
    filter.setText({});
    filter.setErrorsOnly(true);
    log.append({lineNo(5), lineNo(6, true)});
    log.flush();
    EXPECT_EQ(filter.rowCount(), 3);
    EXPECT_EQ(filter.sourceRows({2, 0}), QList<int>({1, 5}));
}

TEST(TraceExport, SavesCsvOrTextByTheNameAndNamesAFileItCannotWrite)
{
    QTemporaryDir dir;
    const QList<TraceLine> lines = {lineNo(1), lineNo(2, true)};
    QString error;
    const QString csv = dir.filePath(QStringLiteral("log.CSV"));
    const QString txt = dir.filePath(QStringLiteral("log.txt"));
    ASSERT_TRUE(TraceExport::save(csv, lines, TraceExport::formatFor(csv), &error)) << error.toStdString();
    ASSERT_TRUE(TraceExport::save(txt, lines, TraceExport::formatFor(txt), &error)) << error.toStdString();
    QFile c(csv);
    ASSERT_TRUE(c.open(QIODevice::ReadOnly));
    EXPECT_TRUE(c.readAll().startsWith("time,duration_ms,interface,direction,text,outcome\r\n"));
    QFile t(txt);
    ASSERT_TRUE(t.open(QIODevice::ReadOnly));
    EXPECT_EQ(t.readAll(), "00:00:00.001 send L1\n00:00:00.002 send L2 -- time-out\n");

    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/log.csv"));
    EXPECT_FALSE(TraceExport::save(nowhere, lines, TraceExport::Format::Csv, &error));
    EXPECT_TRUE(error.contains(nowhere)) << error.toStdString();
}

TEST(TraceFile, EachOpenStartsANewFileAndKeepsTheLastFewSessions)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("state"));
    for (int session = 1; session <= 5; ++session) {
        TraceFile file(folder, 3);
        ASSERT_TRUE(file.open());
        file.write({lineNo(session)});
    }
    TraceFile file(folder, 3);
    auto read = [](const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("(none)");
    };
    EXPECT_EQ(read(file.currentPath()), "00:00:00.005 send L5\n");
    EXPECT_EQ(read(file.earlierPath(1)), "00:00:00.004 send L4\n");
    EXPECT_EQ(read(file.earlierPath(2)), "00:00:00.003 send L3\n");
    EXPECT_FALSE(QFile::exists(file.earlierPath(3))) << "older sessions are deleted";
}

} // namespace
