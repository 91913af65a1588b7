#include "caldata/CalFactorTable.h"

#include "instrument/RangeNames.h"

namespace {

// The four factors every range has come before the AC frequency points.
const char *const kFixedHeadings[] = {"Positive", "Negative", "Zero", "Misc"};
constexpr int kFirstFrequencyColumn = 5;
// The grid offers 30 frequency-point columns; the instrument names only the first 25.
constexpr int kFrequencyColumns = 30;

} // namespace

CalFactorTable::CalFactorTable(QObject *parent) : QObject(parent)
{
    reset(kInitialRows, kInitialColumns);
}

void CalFactorTable::setText(int row, int column, const QString &text)
{
    setCell(row, column, text, state(row, column));
}

void CalFactorTable::setState(int row, int column, CellState state)
{
    setCell(row, column, text(row, column), state);
}

void CalFactorTable::setCell(int row, int column, const QString &text, CellState state)
{
    if (m_grid.set(row, column, text, state))
        emit cellChanged(row, column);
}

bool CalFactorTable::commit(int row, int column, const QString &text)
{
    if (!contains(row, column) || this->text(row, column) == text)
        return false;
    setCell(row, column, text, CellState::Pending);
    return true;
}

void CalFactorTable::reset(int rows, int columns)
{
    m_grid.reset(rows, columns);
    emit tableReset();
}

void CalFactorTable::reshapeForFactors()
{
    m_grid.reset(kRows, kColumns);
    for (int column = 1; column < kColumns; ++column)
        m_grid.set(0, column, headerText(column), CellState::InStep);
    emit tableReset();
}

void CalFactorTable::clearAll()
{
    reset(rowCount(), columnCount());
}

int CalFactorTable::pendingCount() const
{
    return m_grid.countWithText(CellState::Pending);
}

QString CalFactorTable::rangeLabel(int range)
{
    return QStringLiteral("%1: ").arg(range, 3, 10, QLatin1Char('0')) + RangeName(range);
}

QString CalFactorTable::headerText(int column)
{
    if (column >= 1 && column < kFirstFrequencyColumn)
        return QString::fromLatin1(kFixedHeadings[column - 1]);
    if (column >= kFirstFrequencyColumn && column < kFirstFrequencyColumn + kFrequencyColumns)
        return FrequencyName(column - kFirstFrequencyColumn + 1);
    return {};
}

int CalFactorTable::factorIndexOfColumn(int column)
{
    const int index = column - 1;
    return index >= 0 && index <= kLastFactorIndex ? index : -1;
}
