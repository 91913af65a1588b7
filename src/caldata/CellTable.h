#pragma once

#include "caldata/CellGrid.h"

#include <QObject>
#include <QReadWriteLock>
#include <QString>

#include <optional>

/**
 * @brief A table window's cells: texts with a state each that tells the engineer whether the
 * cell matches the instrument, row 0 holding the column headings and column 0 the row labels.
 * The factor table and the specification table are both one; they add their shapes, headings
 * and the instrument's indexes of their columns.
 *
 * The grid shows on the GUI thread while a table operation may fill and reshape it on another,
 * so each read and each change is atomic under a lock of the table's own, and the change signals
 * go out after the lock is released (a slot may read the table again). A cell asked for after a
 * reshape took it away reads as "" and InStep, like any cell outside the grid.
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
        NotVerified, ///< accepted, but read back it differs from what was written (or could not be read)
    };

    /// Whether a cell in this state is still to go to the instrument: changed here, or written
    /// but not kept as written.
    static bool isToWrite(CellState state) { return state == CellState::Pending || state == CellState::NotVerified; }

    int rowCount() const;
    int columnCount() const;
    bool contains(int row, int column) const;

    /// "" and InStep outside the grid.
    QString text(int row, int column) const;
    CellState state(int row, int column) const;
    /// Why a cell is in its state, for the engineer ("not a whole number", the instrument's
    /// status); "" for most cells.
    QString note(int row, int column) const;
    /// Changes a cell; ignored outside the grid. A change of state drops the note unless a new
    /// one is given.
    void setText(int row, int column, const QString &text);
    void setState(int row, int column, CellState state, const QString &note = {});
    void setCell(int row, int column, const QString &text, CellState state, const QString &note = {});

    /// What the in-place editor does when it closes: a changed text replaces the cell's and makes
    /// it pending; the same text leaves the cell, and its state, alone. True when it changed.
    bool commit(int row, int column, const QString &text);

    /// What a compared file holds in a cell whose figure differs from it ("" for a figure the file
    /// lacks); nullopt for a cell not marked. A mark stands beside the cell's state, so a
    /// pending cell that differs is still written and still counted as unwritten. It goes when
    /// the cell's text changes (an edit), with every reshape (a reading, a file loaded) and when
    /// the marks are replaced.
    std::optional<QString> mark(int row, int column) const;
    struct Mark
    {
        int row = 0;
        int column = 0;
        QString otherText;
    };
    /// Replaces every mark with these (a mark outside the grid is dropped), signalling each cell
    /// whose mark changed; an empty list takes every mark away.
    void replaceMarks(const QList<Mark> &marks);

    /// Cells that are pending and hold text, i.e. what a save would try to write.
    int pendingCount() const;
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
    /// Changes a cell under the lock and then signals; what is not given stays as it is.
    void changeCell(int row, int column, const std::optional<QString> &text, std::optional<CellState> state,
                    const std::optional<QString> &note);
    /// Pending cells with text within rows first to last; the caller holds the lock.
    int pendingInRowsLocked(int first, int last) const;

    mutable QReadWriteLock m_lock;
    CellGrid<CellState> m_grid;
};
