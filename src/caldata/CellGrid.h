#pragma once

#include <QList>
#include <QString>

/**
 * @brief The cells of a table held as text with a state each, row by row, and a note on a cell
 * that says why it is in its state (why the instrument refused it). Both the factor table
 * and the specification table keep their cells in one; they add the headings, the shape rules
 * and the change signals. `State{}` is the state of an untouched cell.
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

    /// Changes a cell; false when it lies outside the grid or already held all three.
    bool set(int row, int column, const QString &text, State state, const QString &note = {})
    {
        if (!contains(row, column))
            return false;
        Cell &cell = m_cells[indexOf(row, column)];
        if (cell.text == text && cell.state == state && cell.note == note)
            return false;
        cell.text = text;
        cell.state = state;
        cell.note = note;
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
    };
    qsizetype indexOf(int row, int column) const { return qsizetype(row) * m_columns + column; }
    const Cell &at(int row, int column) const { return m_cells.at(indexOf(row, column)); }

    int m_rows = 0;
    int m_columns = 0;
    QList<Cell> m_cells;
};
