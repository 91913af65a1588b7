// A table read on one thread while another reshapes and fills it, as the grid reads a table
// that an operation on the instrument's thread loads.
#include "caldata/CalFactorTable.h"

#include <QThread>

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// What the writer puts in a cell: its own place, so a read can tell a cell from another's.
QString cellText(int row, int column)
{
    return QStringLiteral("%1,%2").arg(row).arg(column);
}

// The writer fills this much of each shape; enough to overlap the reads, small enough to be quick
// under the address sanitizer.
constexpr int kFilledRows = 24;
constexpr int kFilledColumns = 10;
constexpr int kRounds = 300;

void fillRound(CalFactorTable &table, int round)
{
    if (round % 4 == 0)
        table.reshapeForFactors();
    else
        table.reset(2 + round % 37, 2 + round % 11); // growing and shrinking under the reader
    const int rows = qMin(kFilledRows, table.rowCount());
    const int columns = qMin(kFilledColumns, table.columnCount());
    for (int row = 1; row < rows; ++row) {
        for (int column = 1; column < columns; ++column) {
            if (column % 3 == 0)
                table.commit(row, column, cellText(row, column));
            else
                table.setCell(row, column, cellText(row, column), CellTable::CellState::Pending);
        }
    }
    table.setState(1, 1, CellTable::CellState::Rejected, QStringLiteral("refused"));
    table.setText(1, 1, cellText(1, 1));
}

TEST(CellTableThreadsTest, ReadsStayWholeWhileAnotherThreadReshapesAndFills)
{
    CalFactorTable table;
    std::atomic<bool> readerStarted{false};
    std::atomic<bool> writerDone{false};
    std::unique_ptr<QThread> writer(QThread::create([&] {
        while (!readerStarted.load())
            QThread::yieldCurrentThread();
        for (int round = 0; round < kRounds; ++round)
            fillRound(table, round);
        writerDone = true;
    }));
    writer->start();

    int passes = 0;
    int foreignTexts = 0;
    readerStarted = true;
    while (!writerDone.load()) {
        ++passes;
        // Rows and columns past every shape the writer makes, as a view might ask after a shrink.
        for (int row = 0; row < 45; ++row) {
            for (int column = 0; column < 14; ++column) {
                const QString text = table.text(row, column);
                const QString expected = row == 0 ? CalFactorTable::headerText(column) : cellText(row, column);
                if (!text.isEmpty() && text != expected)
                    ++foreignTexts;
                (void)table.state(row, column);
                (void)table.note(row, column);
            }
        }
        // The counts walk the whole grid under one lock; bounded by the largest shape's cells.
        EXPECT_LE(table.unwrittenCount(), (CalFactorTable::kRows - 1) * (CalFactorTable::kColumns - 1));
        EXPECT_LE(table.pendingCountInRows(1, 3), 3 * (kFilledColumns - 1));
    }
    ASSERT_TRUE(writer->wait(60000));

    EXPECT_GT(passes, 0) << "the reads overlapped the writes";
    EXPECT_EQ(foreignTexts, 0) << "a read returned a text the writer never put in that cell";
    // The last round's shape, filled, is what stays.
    const int lastRound = kRounds - 1;
    EXPECT_EQ(table.rowCount(), lastRound % 4 == 0 ? CalFactorTable::kRows : 2 + lastRound % 37);
    EXPECT_EQ(table.text(1, 2), cellText(1, 2));
    EXPECT_EQ(table.state(1, 1), CellTable::CellState::Rejected);
    EXPECT_EQ(table.note(1, 1), QStringLiteral("refused")) << "a new text keeps the cell's state and note";
}

TEST(CellTableThreadsTest, ChangeSignalsGoOutWithTheTableUnlocked)
{
    // A slot may read the table, on any thread: a change that signalled while still holding its
    // lock would keep that read waiting until the slot returned.
    struct Joined
    {
        void operator()(QThread *thread) const
        {
            thread->wait();
            delete thread;
        }
    };
    std::vector<std::unique_ptr<QThread, Joined>> readers;
    CalFactorTable table;
    table.reset(3, 3);
    bool otherThreadCouldRead = false;
    QString readInSlot;
    int heard = 0;
    auto readFromAnotherThread = [&](int row, int column) {
        ++heard;
        readers.emplace_back(
            QThread::create([&table, &readInSlot, row, column] { readInSlot = table.text(row, column); }));
        readers.back()->start();
        otherThreadCouldRead = readers.back()->wait(10000);
    };
    QObject::connect(&table, &CellTable::cellChanged, &table, readFromAnotherThread, Qt::DirectConnection);
    QObject::connect(
        &table, &CellTable::tableReset, &table, [&] { readFromAnotherThread(0, 1); }, Qt::DirectConnection);

    table.setCell(1, 2, QStringLiteral("7"), CellTable::CellState::Pending);
    EXPECT_TRUE(otherThreadCouldRead);
    EXPECT_EQ(readInSlot, QStringLiteral("7")) << "the slot sees the change it is told of";

    EXPECT_TRUE(table.commit(2, 1, QStringLiteral("8")));
    EXPECT_TRUE(otherThreadCouldRead);
    EXPECT_EQ(readInSlot, QStringLiteral("8"));

    table.reshapeForFactors();
    EXPECT_TRUE(otherThreadCouldRead);
    EXPECT_EQ(readInSlot, CalFactorTable::headerText(1)) << "the headings come with the new shape";
    EXPECT_EQ(heard, 3);
}

} // namespace
