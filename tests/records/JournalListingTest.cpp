#include "records/JournalListing.h"

#include "RecordSamples.h"
#include "records/DurableFiles.h"
#include "records/JournalChanges.h"
#include "records/SnapshotOpening.h"
#include "reliability/FileFaults.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class JournalListingTest : public ::testing::Test
{
protected:
    QString path() const { return folder.filePath(QStringLiteral("journal.jsonl")); }

    /// Appends a numbered record of the instrument with this serial number.
    void append(int n, const QString &serial)
    {
        JournalRecord record = numberedRecord(n);
        record.instrument.serial = serial;
        ASSERT_TRUE(ChangeJournal(path()).append(record));
    }
    /// The journal lines each row of the listing shows, top to bottom.
    static QList<int> shownLines(const JournalListing &listing)
    {
        QList<int> lines;
        for (int row = 0; row < listing.rowCount(); ++row)
            lines << listing.entryAt(row).line;
        return lines;
    }
    static QStringList rowTexts(const QAbstractItemModel &model, int row)
    {
        QStringList texts;
        for (int column = 0; column < model.columnCount(); ++column)
            texts << model.index(row, column).data().toString();
        return texts;
    }
    QList<QByteArray> storedLines() const
    {
        QList<QByteArray> lines = readAll(path()).split('\n');
        lines.removeLast();
        return lines;
    }

    QTemporaryDir folder;
};

TEST_F(JournalListingTest, ListsNewestFirstAndNarrowsToOneSerialNumber)
{
    append(1, QStringLiteral("SN2"));
    append(2, QStringLiteral("SN1"));
    append(3, QString());
    append(4, QStringLiteral("SN2"));
    JournalListing listing(path());

    EXPECT_EQ(shownLines(listing), QList<int>({4, 3, 2, 1}));
    EXPECT_EQ(rowTexts(listing, 1),
              QStringList({"2026-12-08T10:00:03.000Z", "ana", "cal write 3", "-", "1 change", "done"}));
    EXPECT_EQ(listing.filterChoices(), QStringList({"All instruments", "(no serial number)", "SN1", "SN2"}));

    struct Case
    {
        int index;
        QList<int> lines;
        int filterIndex;
    };
    const Case cases[] = {
        {3, {4, 1}, 3}, {2, {2}, 2}, {1, {3}, 1}, {0, {4, 3, 2, 1}, 0}, {9, {4, 3, 2, 1}, 0}, {-1, {4, 3, 2, 1}, 0},
    };
    for (const Case &c : cases) {
        listing.chooseFilter(c.index);
        EXPECT_EQ(shownLines(listing), c.lines) << c.index;
        EXPECT_EQ(listing.filterIndex(), c.filterIndex) << c.index;
    }

    // A reload keeps the instrument chosen while it has records, and finds the newer ones.
    listing.chooseFilter(3);
    append(5, QStringLiteral("SN2"));
    listing.reload();
    EXPECT_EQ(shownLines(listing), QList<int>({5, 4, 1}));
    EXPECT_EQ(listing.rowOfLine(1), 2);
    EXPECT_EQ(listing.rowOfLine(2), -1);

    // Once that instrument has no record left the listing shows every instrument again.
    QList<QByteArray> lines = storedLines();
    ASSERT_TRUE(writeAll(path(), lines[1] + '\n' + lines[2] + '\n'));
    listing.reload();
    EXPECT_EQ(listing.filterIndex(), 0);
    EXPECT_EQ(listing.filterChoices(), QStringList({"All instruments", "(no serial number)", "SN1"}));
    EXPECT_EQ(shownLines(listing), QList<int>({2, 1}));
}

TEST_F(JournalListingTest, ARecordShowsItsDetailsChangesAndSnapshotKind)
{
    JournalRecord full = fullRecord();
    JournalRecord spec = numberedRecord(2);
    spec.snapshot = FileReference{QStringLiteral("/data/SN4711-20261208-100002-spec-write.SPEC"), digestOf('d')};
    JournalRecord other = numberedRecord(3);
    other.snapshot = FileReference{QStringLiteral("/data/notes.txt"), digestOf('e')};
    JournalRecord plain = numberedRecord(4);
    for (JournalRecord *r : {&full, &spec, &other, &plain})
        ASSERT_TRUE(ChangeJournal(path()).append(*r));
    JournalListing listing(path());
    ASSERT_EQ(listing.rowCount(), 4);

    const int fullRow = listing.rowOfLine(1);
    EXPECT_EQ(listing.data(listing.index(fullRow, 5)).toString(), "partial (forced)");
    EXPECT_EQ(listing.data(listing.index(fullRow, 4)).toString(), "2 changes");
    const QList<std::pair<QString, QString>> details = listing.details(fullRow);
    const QList<std::pair<QString, QString>> expected = {
        {"Instrument", "Quorvadine,5241,SN4711,3.07"},
        {"Connection", full.connection},
        {"Recorded", QStringLiteral("line 1, by ana \"the\" engineer on bench\\3 with calsetup-cli 1.0.0")},
        {"File", "/home/ana/meter \"A\".cal\nSHA-256 " + digestOf('a')},
        {"Snapshot", "/data/snapshots/SN4711-20261208-100000-save.cal\nSHA-256 " + digestOf('b')},
    };
    EXPECT_EQ(details, expected);
    EXPECT_EQ(listing.details(listing.rowOfLine(4)).at(3).second, "none");

    JournalChanges changes;
    changes.show(listing.entryAt(fullRow).record.changes);
    ASSERT_EQ(changes.rowCount(), 2);
    EXPECT_EQ(rowTexts(changes, 0), QStringList({"cal", "12", "3", "1000", "1002", "yes"}));
    EXPECT_EQ(rowTexts(changes, 1), QStringList({"spec", "70", "13", "0.5", "", "no"}));
    changes.show({});
    EXPECT_EQ(changes.rowCount(), 0);

    EXPECT_EQ(listing.snapshotKind(fullRow), TableKind::Factors);
    EXPECT_EQ(listing.snapshotKind(listing.rowOfLine(2)), TableKind::Specifications);
    EXPECT_EQ(listing.snapshotKind(listing.rowOfLine(3)), std::nullopt) << "neither .cal nor .spec";
    EXPECT_EQ(listing.snapshotKind(listing.rowOfLine(4)), std::nullopt) << "no snapshot";
}

TEST_F(JournalListingTest, LinesThatAreNotRecordsAreShownWhateverTheFilter)
{
    append(1, QStringLiteral("SN1"));
    append(2, QStringLiteral("SN2"));
    QList<QByteArray> lines = storedLines();
    lines.insert(1, "{\"time\":");
    lines.append(QByteArray());
    ASSERT_TRUE(writeAll(path(), lines.join('\n') + '\n'));

    JournalListing listing(path());
    EXPECT_EQ(shownLines(listing), QList<int>({3, 1}));
    const QStringList problems = listing.problemTexts();
    ASSERT_EQ(problems.size(), 2) << problems.join('|').toStdString();
    EXPECT_TRUE(problems[0].startsWith(QLatin1String("line 2 is not a record: not JSON"))) << problems[0].toStdString();
    EXPECT_EQ(problems[1], "line 4 is not a record: the line is empty");
    listing.chooseFilter(1);
    EXPECT_EQ(shownLines(listing), QList<int>({1}));
    EXPECT_EQ(listing.problemTexts(), problems);
}

TEST_F(JournalListingTest, SaysWhereTheJournalIsOrWillBe)
{
    JournalListing missing(path());
    EXPECT_EQ(missing.rowCount(), 0);
    EXPECT_EQ(missing.filterChoices(), QStringList({"All instruments"}));
    EXPECT_EQ(missing.locationText(),
              "Nothing has been recorded on this computer yet; the journal will be kept in " + path());
    EXPECT_TRUE(missing.problemTexts().isEmpty());

    append(1, QStringLiteral("SN1"));
    missing.reload();
    EXPECT_EQ(missing.locationText(), "Journal: " + path());
    EXPECT_EQ(missing.rowCount(), 1);

    // Something that is not a file where the journal should be: no records, and why.
    const QString folderPath = folder.filePath(QStringLiteral("a folder"));
    ASSERT_TRUE(QDir().mkpath(folderPath));
    JournalListing unreadable(folderPath);
    EXPECT_EQ(unreadable.rowCount(), 0);
    EXPECT_TRUE(unreadable.locationText().startsWith("cannot read " + folderPath))
        << unreadable.locationText().toStdString();
}

TEST_F(JournalListingTest, TheChainCheckSaysWhatTheCommandLineSaysOfTheFileAsItIsNow)
{
    for (int n = 1; n <= 3; ++n)
        append(n, QStringLiteral("SN1"));
    JournalListing listing(path());
    const JournalListing::ChainCheck intact = listing.verifyChain();
    EXPECT_TRUE(intact.intact);
    EXPECT_EQ(intact.text, "3 records, chain intact, head " + ChangeJournal::lineDigest(storedLines().constLast()));

    // Changed after the listing was read: the check reads the file again.
    QList<QByteArray> lines = storedLines();
    lines[0].replace(R"("user":"ana")", R"("user":"bob")");
    ASSERT_TRUE(writeAll(path(), lines.join('\n') + '\n'));
    const JournalListing::ChainCheck broken = listing.verifyChain();
    EXPECT_FALSE(broken.intact);
    EXPECT_TRUE(broken.text.startsWith(path() + ": line 2 does not follow line 1")) << broken.text.toStdString();

    ASSERT_TRUE(QFile::remove(path()));
    const JournalListing::ChainCheck none = listing.verifyChain();
    EXPECT_TRUE(none.intact);
    EXPECT_EQ(none.text, "0 records, chain intact, head " + ChangeJournal::kFirstPrev);
}

TEST_F(JournalListingTest, ASnapshotIsOpenedAsItWasKeptOrAfterSayingWhatChanged)
{
    const QString file = folder.filePath(QStringLiteral("SN1-20261208-100000-cal-clear.cal"));
    const QByteArray kept = "001: 100mV DC , 1000,\r\n";
    ASSERT_TRUE(writeAll(file, kept));
    const FileReference recorded{file, DurableFiles::sha256Hex(kept)};

    struct Case
    {
        const char *name;
        QByteArray onDisk; ///< empty: the file is gone
        FileReference reference;
        SnapshotOpening::State state;
        QString text;
    };
    const Case cases[] = {
        {"as kept", kept, recorded, SnapshotOpening::State::Intact, {}},
        {"digest recorded in capitals", kept, {file, recorded.sha256.toUpper()}, SnapshotOpening::State::Intact, {}},
        {"changed", "001: 100mV DC , 1001,\r\n", recorded, SnapshotOpening::State::Changed,
         "The snapshot " + file + " has changed since it was kept: its SHA-256 is "
             + DurableFiles::sha256Hex("001: 100mV DC , 1001,\r\n") + ", the journal recorded " + recorded.sha256
             + ".\n\nLoad it into the grid all the same?"},
        {"gone", {}, recorded, SnapshotOpening::State::Missing, "The snapshot " + file + " cannot be read: "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.onDisk.isEmpty())
            QFile::remove(file);
        else
            ASSERT_TRUE(writeAll(file, c.onDisk));
        const SnapshotOpening opening = SnapshotOpening::check(c.reference);
        EXPECT_EQ(opening.state(), c.state);
        EXPECT_TRUE(opening.text().startsWith(c.text)) << opening.text().toStdString();
        EXPECT_EQ(opening.text().isEmpty(), c.state == SnapshotOpening::State::Intact);
    }
}

} // namespace
