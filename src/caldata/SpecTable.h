#pragma once

#include "caldata/CellGrid.h"

#include <QObject>
#include <QString>

/**
 * @brief The specification grid: one row per range of the instrument, and for seven frequency
 * bands a pair of figures (ppm of reading, ppm of range), each cell a text with a state that
 * tells the engineer whether it matches the instrument. The table's version text travels with it.
 *
 * Row 0 holds the column headings and column 0 the range labels as the instrument sends them;
 * cell (r, c) with c >= 1 is figure c - 1 of row r. The grid starts with its heading row and one
 * empty row and grows on demand: writing to a row that does not exist yet appends rows.
 */
class SpecTable : public QObject
{
    Q_OBJECT
public:
    enum class CellState {
        InStep,     ///< as read from the instrument, or accepted by it
        Pending,    ///< changed here and still to be written
        Writing,    ///< being written at this moment
        Rejected,   ///< the instrument refused it ("*9"), or it is not a number
        Unconfirmed ///< any other status ("*5", "*2", ...): not taken as it was sent
    };

    static constexpr int kColumns = 15;
    static constexpr int kInitialRows = 2;
    /// Figure indexes 0 to 13 in columns 1 to 14.
    static constexpr int kFigures = 14;
    /// The instrument holds specification rows 1 to 70; rows beyond are never written.
    static constexpr int kFirstWritableRow = 1;
    static constexpr int kLastWritableRow = 70;
    /// Sizes of the label column and the heading row, in twips (15 to a pixel at 96 dpi).
    static constexpr int kLabelColumnWidthTwips = 2400;
    static constexpr int kHeaderRowHeightTwips = 550;
    /// A grid never grows beyond this many rows, whatever a reply or a file holds.
    static constexpr int kMaxRows = 10000;

    explicit SpecTable(QObject *parent = nullptr);

    int rowCount() const { return m_grid.rows(); }
    int columnCount() const { return kColumns; }
    bool contains(int row, int column) const { return m_grid.contains(row, column); }

    /// "" and InStep outside the grid.
    QString text(int row, int column) const { return m_grid.text(row, column); }
    CellState state(int row, int column) const { return m_grid.state(row, column); }
    /// Change a cell; ignored outside the grid.
    void setText(int row, int column, const QString &text);
    void setState(int row, int column, CellState state);
    void setCell(int row, int column, const QString &text, CellState state);

    /// What the in-place editor does when it closes: a changed text replaces the cell's and makes
    /// it pending; the same text leaves the cell, and its state, alone. True when it changed.
    bool commit(int row, int column, const QString &text);

    /// The empty grid: a heading row and one empty row, every cell in step.
    void initGrid();
    /// Appends empty rows until `row` exists. False when the row lies beyond kMaxRows.
    bool ensureRow(int row);

    /// Cells that are pending and hold text, i.e. what a save would try to write.
    int pendingCount() const;

    /// The table's version text ("Version" on the window, the first line of a ".spec" file).
    QString version() const { return m_version; }
    void setVersion(const QString &version);

    /// Column headings: "ppm Reading (DC-40Hz)", "ppm Range (DC-40Hz)", ... "" outside 1 to 14.
    static QString headerText(int column);
    /// The figure index a column holds, or -1 for the label column and beyond the last figure.
    static int figureIndexOfColumn(int column);

signals:
    /// One cell's text or state changed.
    void cellChanged(int row, int column);
    /// The shape changed (rows appended, grid rebuilt) or every cell may have changed.
    void tableReset();
    void versionChanged(const QString &version);

private:
    CellGrid<CellState> m_grid;
    QString m_version;
};
