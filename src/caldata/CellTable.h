#pragma once

#include "caldata/CellGrid.h"

#include <QObject>
#include <QString>

/**
 * @brief A table window's cells: texts with a state each that tells the engineer whether the
 * cell matches the instrument, row 0 holding the column headings and column 0 the row labels.
 * The factor table and the specification table are both one; they add their shapes, headings
 * and the instrument's indexes of their columns.
 */
class CellTable : public QObject
{
    Q_OBJECT
public:
    /// One set of states for both tables, so that one write loop and one grid model serve them;
    /// the factor table never holds Writing or Unconfirmed.
    enum class CellState {
        InStep,      ///< as read from the instrument, or accepted by it
        Pending,     ///< changed here and still to be written
        Writing,     ///< being written at this moment
        Rejected,    ///< the instrument refused it
        Unconfirmed, ///< the instrument's status was neither yes nor no: not taken as it was sent
        Invalid,     ///< not a value the instrument takes: never sent
    };

    int rowCount() const { return m_grid.rows(); }
    int columnCount() const { return m_grid.columns(); }
    bool contains(int row, int column) const { return m_grid.contains(row, column); }

    /// "" and InStep outside the grid.
    QString text(int row, int column) const { return m_grid.text(row, column); }
    CellState state(int row, int column) const { return m_grid.state(row, column); }
    /// Why a cell is in its state, for the engineer ("not a whole number", the instrument's
    /// status); "" for most cells.
    QString note(int row, int column) const { return m_grid.note(row, column); }
    /// Changes a cell; ignored outside the grid. A change of state drops the note unless a new
    /// one is given.
    void setText(int row, int column, const QString &text);
    void setState(int row, int column, CellState state, const QString &note = {});
    void setCell(int row, int column, const QString &text, CellState state, const QString &note = {});

    /// What the in-place editor does when it closes: a changed text replaces the cell's and makes
    /// it pending; the same text leaves the cell, and its state, alone. True when it changed.
    bool commit(int row, int column, const QString &text);

    /// Cells that are pending and hold text, i.e. what a save would try to write.
    int pendingCount() const { return pendingCountInRows(1, rowCount() - 1); }
    /// The same within rows first to last.
    int pendingCountInRows(int first, int last) const;
    /// Changes made here that the instrument does not have: pending cells with text, and cells
    /// a save found to be no value (they were never sent).
    int unwrittenCount() const;

signals:
    /// One cell's text or state changed.
    void cellChanged(int row, int column);
    /// The shape changed or every cell may have changed.
    void tableReset();

protected:
    explicit CellTable(QObject *parent) : QObject(parent) {}

    /// A new shape with every cell empty and in step, then `heading(column)` over columns 1 on
    /// when a heading function is given.
    void reshape(int rows, int columns, QString (*heading)(int column) = nullptr);
    /// Appends empty rows (or drops rows from the end), keeping every other cell.
    void resizeRows(int rows);

private:
    CellGrid<CellState> m_grid;
};
