#include "caldata/CellTable.h"

#include <QHash>

#include <utility>

int CellTable::rowCount() const
{
    QReadLocker locker(&m_lock);
    return m_grid.rows();
}

int CellTable::columnCount() const
{
    QReadLocker locker(&m_lock);
    return m_grid.columns();
}

bool CellTable::contains(int row, int column) const
{
    QReadLocker locker(&m_lock);
    return m_grid.contains(row, column);
}

QString CellTable::text(int row, int column) const
{
    QReadLocker locker(&m_lock);
    return m_grid.text(row, column);
}

CellTable::CellState CellTable::state(int row, int column) const
{
    QReadLocker locker(&m_lock);
    return m_grid.state(row, column);
}

QString CellTable::note(int row, int column) const
{
    QReadLocker locker(&m_lock);
    return m_grid.note(row, column);
}

std::optional<QString> CellTable::mark(int row, int column) const
{
    QReadLocker locker(&m_lock);
    return m_grid.mark(row, column);
}

void CellTable::replaceMarks(const QList<Mark> &marks)
{
    QHash<std::pair<int, int>, QString> wanted;
    for (const Mark &mark : marks)
        wanted.insert({mark.row, mark.column}, mark.otherText);
    QList<std::pair<int, int>> changed;
    QWriteLocker locker(&m_lock);
    // Old marks and new ones change under one lock, so no reader sees the two comparisons mixed.
    for (int row = 0; row < m_grid.rows(); ++row) {
        for (int column = 0; column < m_grid.columns(); ++column) {
            const auto found = wanted.constFind({row, column});
            const std::optional<QString> mark =
                found == wanted.constEnd() ? std::nullopt : std::optional<QString>(*found);
            if (m_grid.setMark(row, column, mark))
                changed.append({row, column});
        }
    }
    locker.unlock();
    for (const auto &[row, column] : changed)
        emit cellChanged(row, column);
}

void CellTable::setText(int row, int column, const QString &text)
{
    changeCell(row, column, text, std::nullopt, std::nullopt);
}

void CellTable::setState(int row, int column, CellState state, const QString &note)
{
    changeCell(row, column, std::nullopt, state, note);
}

void CellTable::setCell(int row, int column, const QString &text, CellState state, const QString &note)
{
    changeCell(row, column, text, state, note);
}

void CellTable::changeCell(int row, int column, const std::optional<QString> &text, std::optional<CellState> state,
                           const std::optional<QString> &note)
{
    QWriteLocker locker(&m_lock);
    // What the change keeps is read under the same lock, so a write from another thread cannot
    // come between and be undone.
    const bool changed = m_grid.set(row, column, text.value_or(m_grid.text(row, column)),
                                    state.value_or(m_grid.state(row, column)), note.value_or(m_grid.note(row, column)));
    locker.unlock();
    if (changed)
        emit cellChanged(row, column);
}

bool CellTable::commit(int row, int column, const QString &text)
{
    QWriteLocker locker(&m_lock);
    // Compared and changed under one lock, so a write from another thread cannot come between.
    if (!m_grid.contains(row, column) || m_grid.text(row, column) == text)
        return false;
    m_grid.set(row, column, text, CellState::Pending);
    locker.unlock();
    emit cellChanged(row, column);
    return true;
}

int CellTable::pendingCount() const
{
    QReadLocker locker(&m_lock);
    return pendingInRowsLocked(1, m_grid.rows() - 1);
}

int CellTable::pendingCountInRows(int first, int last) const
{
    QReadLocker locker(&m_lock);
    return pendingInRowsLocked(first, last);
}

int CellTable::pendingInRowsLocked(int first, int last) const
{
    int count = 0;
    for (int row = qMax(1, first); row <= qMin(last, m_grid.rows() - 1); ++row) {
        for (int column = 1; column < m_grid.columns(); ++column) {
            if (isToWrite(m_grid.state(row, column)) && !m_grid.text(row, column).isEmpty())
                ++count;
        }
    }
    return count;
}

int CellTable::unwrittenCount() const
{
    QReadLocker locker(&m_lock);
    int count = pendingInRowsLocked(1, m_grid.rows() - 1);
    for (int row = 1; row < m_grid.rows(); ++row) {
        for (int column = 1; column < m_grid.columns(); ++column) {
            if (m_grid.state(row, column) == CellState::Invalid)
                ++count;
        }
    }
    return count;
}

void CellTable::reshape(int rows, int columns, QString (*heading)(int column))
{
    QWriteLocker locker(&m_lock);
    // The headings go in with the new shape, so no reader sees the table without them.
    m_grid.reset(rows, columns);
    for (int column = 1; heading && column < columns; ++column)
        m_grid.set(0, column, heading(column), CellState::InStep);
    locker.unlock();
    emit tableReset();
}

void CellTable::resizeRows(int rows)
{
    QWriteLocker locker(&m_lock);
    m_grid.resizeRows(rows);
    locker.unlock();
    emit tableReset();
}
