#include "caldata/CellTable.h"

void CellTable::setText(int row, int column, const QString &text)
{
    setCell(row, column, text, state(row, column), note(row, column));
}

void CellTable::setState(int row, int column, CellState state, const QString &note)
{
    setCell(row, column, text(row, column), state, note);
}

void CellTable::setCell(int row, int column, const QString &text, CellState state, const QString &note)
{
    if (m_grid.set(row, column, text, state, note))
        emit cellChanged(row, column);
}

bool CellTable::commit(int row, int column, const QString &text)
{
    if (!contains(row, column) || this->text(row, column) == text)
        return false;
    setCell(row, column, text, CellState::Pending);
    return true;
}

int CellTable::pendingCountInRows(int first, int last) const
{
    int count = 0;
    for (int row = qMax(1, first); row <= qMin(last, rowCount() - 1); ++row) {
        for (int column = 1; column < columnCount(); ++column) {
            if (state(row, column) == CellState::Pending && !text(row, column).isEmpty())
                ++count;
        }
    }
    return count;
}

int CellTable::unwrittenCount() const
{
    int count = pendingCount();
    for (int row = 1; row < rowCount(); ++row) {
        for (int column = 1; column < columnCount(); ++column) {
            if (state(row, column) == CellState::Invalid)
                ++count;
        }
    }
    return count;
}

void CellTable::reshape(int rows, int columns, QString (*heading)(int column))
{
    m_grid.reset(rows, columns);
    for (int column = 1; heading && column < columns; ++column)
        m_grid.set(0, column, heading(column), CellState::InStep);
    emit tableReset();
}

void CellTable::resizeRows(int rows)
{
    m_grid.resizeRows(rows);
    emit tableReset();
}
