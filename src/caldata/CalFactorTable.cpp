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

QString CalFactorTable::text(int row, int column) const
{
    return contains(row, column) ? m_cells.at(indexOf(row, column)).text : QString();
}

CalFactorTable::CellState CalFactorTable::state(int row, int column) const
{
    return contains(row, column) ? m_cells.at(indexOf(row, column)).state : CellState::InStep;
}

void CalFactorTable::setText(int row, int column, const QString &text)
{
    if (!contains(row, column))
        return;
    Cell &cell = m_cells[indexOf(row, column)];
    if (cell.text == text)
        return;
    cell.text = text;
    emit cellChanged(row, column);
}

void CalFactorTable::setState(int row, int column, CellState state)
{
    if (!contains(row, column))
        return;
    Cell &cell = m_cells[indexOf(row, column)];
    if (cell.state == state)
        return;
    cell.state = state;
    emit cellChanged(row, column);
}

void CalFactorTable::setCell(int row, int column, const QString &text, CellState state)
{
    if (!contains(row, column))
        return;
    Cell &cell = m_cells[indexOf(row, column)];
    if (cell.text == text && cell.state == state)
        return;
    cell.text = text;
    cell.state = state;
    emit cellChanged(row, column);
}

bool CalFactorTable::commit(int row, int column, const QString &text)
{
    if (!contains(row, column) || m_cells.at(indexOf(row, column)).text == text)
        return false;
    setCell(row, column, text, CellState::Pending);
    return true;
}

void CalFactorTable::reset(int rows, int columns)
{
    m_rows = qMax(0, rows);
    m_columns = qMax(0, columns);
    m_cells = QList<Cell>(qsizetype(m_rows) * m_columns);
    emit tableReset();
}

void CalFactorTable::reshapeForFactors()
{
    m_rows = kRows;
    m_columns = kColumns;
    m_cells = QList<Cell>(qsizetype(m_rows) * m_columns);
    for (int column = 1; column < m_columns; ++column)
        m_cells[indexOf(0, column)].text = headerText(column);
    emit tableReset();
}

void CalFactorTable::clearAll()
{
    reset(m_rows, m_columns);
}

int CalFactorTable::pendingCount() const
{
    int count = 0;
    for (int row = 1; row < m_rows; ++row) {
        for (int column = 1; column < m_columns; ++column) {
            const Cell &cell = m_cells.at(indexOf(row, column));
            if (cell.state == CellState::Pending && !cell.text.isEmpty())
                ++count;
        }
    }
    return count;
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
