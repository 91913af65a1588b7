#pragma once

#include <QList>
#include <QString>

#include <optional>

/**
 * @brief The cells of a table held as text with a state each, row by row, and a note on a cell
 * that says why it is in its state (why the instrument refused it). Both the factor table
 * and the specification table keep their cells in one; they add the headings, the shape rules
 * and the change signals. `State{}` is the state of an untouched cell.
 *
 * A cell may also carry a mark: what a compared table holds where it differs from the cell. It
 * stands beside the state, never in place of it, and it lasts only while the cell keeps the text
 * it was compared with.
 */
template <typename State>
class CellGrid
{
public:
    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    bool contains(int row, int column) const { return row >= 0 && row < m_rows && column >= 0 && column < m_columns; }

    /// "" and `State{}` outside the grid.
    QString text(int row, int column) const { return contains(row, column) ? at(row, column).text : QString(); }
    State state(int row, int column) const { return contains(row, column) ? at(row, column).state : State{}; }
    QString note(int row, int column) const { return contains(row, column) ? at(row, column).note : QString(); }
    std::optional<QString> mark(int row, int column) const
    {
        return contains(row, column) ? at(row, column).mark : std::nullopt;
    }

    /// Changes a cell; false when it lies outside the grid or already held all three. A new text
    /// drops the cell's mark: it was compared with the old one.
    bool set(int row, int column, const QString &text, State state, const QString &note = {})
    {
        if (!contains(row, column))
            return false;
        Cell &cell = m_cells[indexOf(row, column)];
        if (cell.text == text && cell.state == state && cell.note == note)
            return false;
        if (cell.text != text)
            cell.mark.reset();
        cell.text = text;
        cell.state = state;
        cell.note = note;
        return true;
    }

    /// Marks a cell (nullopt takes the mark away); false when it lies outside the grid or the
    /// mark is already so.
    bool setMark(int row, int column, const std::optional<QString> &mark)
    {
        if (!contains(row, column) || at(row, column).mark == mark)
            return false;
        m_cells[indexOf(row, column)].mark = mark;
        return true;
    }

    /// A new shape with every cell empty and untouched.
    void reset(int rows, int columns)
    {
        m_rows = qMax(0, rows);
        m_columns = qMax(0, columns);
        m_cells = QList<Cell>(qsizetype(m_rows) * m_columns);
    }

    /// Appends empty rows (or drops rows from the end), keeping every other cell.
    void resizeRows(int rows)
    {
        m_rows = qMax(0, rows);
        m_cells.resize(qsizetype(m_rows) * m_columns);
    }

private:
    struct Cell
    {
        QString text;
        State state{};
        QString note;
        std::optional<QString> mark;
    };
    qsizetype indexOf(int row, int column) const { return qsizetype(row) * m_columns + column; }
    const Cell &at(int row, int column) const { return m_cells.at(indexOf(row, column)); }

    int m_rows = 0;
    int m_columns = 0;
    QList<Cell> m_cells;
};
