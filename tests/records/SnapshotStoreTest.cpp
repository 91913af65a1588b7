#include "records/SnapshotStore.h"

#include "fixtures/FakeClock.h"
#include "platform/Settings.h"
#include "records/DataFolders.h"
#include "records/DurableFiles.h"
#include "reliability/FileFaults.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(SnapshotStore, NamesTellTheInstrumentTheSecondAndTheOperation)
{
    struct Case
    {
        const char *serial;
        const char *operation;
        TableKind kind;
        int sequence;
        const char *name;
    };
    const Case cases[] = {
        {"SN4711", "cal clear", TableKind::Factors, 1, "SN4711-20261208-093005-cal-clear.cal"},
        {"SN4711", "Save To Calibrator", TableKind::Specifications, 1,
         "SN4711-20261208-093005-save-to-calibrator.spec"},
        {"SN4711", "cal clear", TableKind::Factors, 2, "SN4711-20261208-093005-cal-clear-2.cal"},
        {" 12/34:5 ", "--spec  write!", TableKind::Specifications, 12, "12-34-5-20261208-093005-spec-write-12.spec"},
        {"", "", TableKind::Factors, 1, "unknown-20261208-093005-snapshot.cal"},
        {"../..", "\xc3\xa9t\xc3\xa9", TableKind::Factors, 1, "unknown-20261208-093005-t.cal"},
    };
    // Named in UTC, as the journal's times are.
    const QDateTime at(QDate(2026, 12, 8), QTime(10, 30, 5, 999), Qt::OffsetFromUTC, 3600);
    for (const Case &c : cases) {
        EXPECT_EQ(SnapshotStore::fileName(QString::fromUtf8(c.serial), at, QString::fromUtf8(c.operation), c.kind,
                                          c.sequence),
                  c.name);
    }
}

TEST(SnapshotStore, SnapshotsInOneSecondEachKeepTheirOwnFile)
{
    ScopedFakeClock fake;
    fake.clock.setDateTime(QDateTime(QDate(2026, 12, 8), QTime(9, 30, 5), Qt::UTC));
    QTemporaryDir folder;
    SnapshotStore store(folder.filePath(QStringLiteral("snapshots")));
    QList<FileReference> saved;
    for (const QByteArray &bytes : {QByteArray("first\r\n"), QByteArray("second\r\n"), QByteArray()}) {
        QString error;
        const std::optional<FileReference> ref =
            store.save(bytes, QStringLiteral("SN4711"), QStringLiteral("cal clear"), TableKind::Factors, &error);
        ASSERT_TRUE(ref.has_value()) << error.toStdString();
        EXPECT_EQ(readAll(ref->path), bytes);
        EXPECT_EQ(ref->sha256, DurableFiles::sha256Hex(bytes));
        saved << *ref;
    }
    EXPECT_EQ(QFileInfo(saved[0].path).fileName(), "SN4711-20261208-093005-cal-clear.cal");
    EXPECT_EQ(QFileInfo(saved[1].path).fileName(), "SN4711-20261208-093005-cal-clear-2.cal");
    EXPECT_EQ(QFileInfo(saved[2].path).fileName(), "SN4711-20261208-093005-cal-clear-3.cal");
    EXPECT_EQ(saved[2].sha256, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    // No temporary file stays behind.
    EXPECT_EQ(QDir(store.folder()).entryList(QDir::Files | QDir::Hidden).size(), 3);

    // The next second starts again without a number.
    fake.clock.advance(1000);
    const std::optional<FileReference> later =
        store.save("x", QStringLiteral("SN4711"), QStringLiteral("cal clear"), TableKind::Factors);
    ASSERT_TRUE(later.has_value());
    EXPECT_EQ(QFileInfo(later->path).fileName(), "SN4711-20261208-093006-cal-clear.cal");
}

TEST(SnapshotStore, AFolderThatCannotBeWrittenGivesAReasonAndNoFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(writeAll(folder.filePath(QStringLiteral("plain")), "a file"));
    SnapshotStore blocked(folder.filePath(QStringLiteral("plain/snapshots")));
    QString error;
    EXPECT_FALSE(
        blocked.save("x", QStringLiteral("SN1"), QStringLiteral("spec clear"), TableKind::Specifications, &error));
    EXPECT_TRUE(error.contains(blocked.folder()) && error.contains(QLatin1String("is a file"))) << error.toStdString();

    const QString snapshots = folder.filePath(QStringLiteral("snapshots"));
    ASSERT_TRUE(QDir().mkpath(snapshots));
    ReadOnlyFolder readOnly(snapshots);
    if (!readOnly.isReadOnly())
        GTEST_SKIP() << "the folder could not be made read-only";
    EXPECT_FALSE(SnapshotStore(snapshots).save("x", QStringLiteral("SN1"), QStringLiteral("spec clear"),
                                               TableKind::Specifications, &error));
    EXPECT_TRUE(error.contains(snapshots)) << error.toStdString();
    EXPECT_TRUE(QDir(snapshots).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(DataFolders, TheFolderIsNamedAfterTheSettingsInUse)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    ASSERT_EQ(data, qEnvironmentVariable("XDG_DATA_HOME")); // the tests' own (test_main)
    const QString previous = Settings::scope();
    Settings::setScope(QStringLiteral("records test (simulated)"));
    EXPECT_EQ(DataFolders::journalPath(), data + QStringLiteral("/records test (simulated)/journal.jsonl"));
    EXPECT_EQ(DataFolders::snapshotFolder(), data + QStringLiteral("/records test (simulated)/snapshots"));
    Settings::setScope(previous);
    DataFolders::setRootOverride(QStringLiteral("/elsewhere"));
    EXPECT_EQ(DataFolders::journalPath(), "/elsewhere/journal.jsonl");
    DataFolders::setRootOverride(QString());
}

} // namespace
