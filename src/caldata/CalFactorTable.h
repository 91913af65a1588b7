#pragma once

#include "caldata/CellGrid.h"

#include <QObject>
#include <QString>

/**
 * @brief The calibration-factor grid: one row per range, one column per factor, each cell a text
 * with a state that tells the engineer whether it matches the instrument.
 *
 * Row 0 holds the column headings and column 0 the range labels; cell (r, c) with c >= 1 is
 * factor c - 1 of range r. A freshly opened grid is 71 x 24 and empty; loading from the
 * instrument or from a file gives it its working shape of 150 x 67 with headings. The grid holds
 * texts, not numbers: a factor stays exactly as the instrument printed it or the engineer typed
 * it until it is written.
 */
class CalFactorTable : public QObject
{
    Q_OBJECT
public:
    enum class CellState {
        InStep,   ///< as read from the instrument, or accepted by it
        Pending,  ///< changed here and still to be written
        Rejected, ///< the instrument refused it, or it could not be sent
    };

    static constexpr int kInitialRows = 71;
    static constexpr int kInitialColumns = 24;
    static constexpr int kRows = 150;
    static constexpr int kColumns = 67;
    static constexpr int kFirstRange = 1;
    static constexpr int kLastRange = 149;
    /// Columns 1 to 62 hold factor indexes 0 to 61; the columns after them are never written.
    static constexpr int kLastFactorIndex = 61;
    /// Sizes of the label column and the heading row, in twips (15 to a pixel at 96 dpi).
    static constexpr int kLabelColumnWidthTwips = 2000;
    static constexpr int kHeaderRowHeightTwips = 450;

    explicit CalFactorTable(QObject *parent = nullptr);

    int rowCount() const { return m_grid.rows(); }
    int columnCount() const { return m_grid.columns(); }
    bool contains(int row, int column) const { return m_grid.contains(row, column); }

    /// "" and InStep outside the grid.
    QString text(int row, int column) const { return m_grid.text(row, column); }
    CellState state(int row, int column) const { return m_grid.state(row, column); }
    /// Changes a cell; ignored outside the grid.
    void setText(int row, int column, const QString &text);
    void setState(int row, int column, CellState state);
    void setCell(int row, int column, const QString &text, CellState state);

    /// What the in-place editor does when it closes: a changed text replaces the cell's and makes
    /// it pending; the same text leaves the cell, and its state, alone. True when it changed.
    bool commit(int row, int column, const QString &text);

    /// Gives the grid a new size with every cell empty and in step, headings included.
    void reset(int rows, int columns);
    /// The working shape: 150 x 67, every cell cleared, then the headings of row 0.
    void reshapeForFactors();
    /// Empties every cell, headings included, keeping the shape.
    void clearAll();

    /// Cells that are pending and hold text, i.e. what a save would try to write.
    int pendingCount() const;

    /// The label of a range's row: the number as three digits, ": ", the range's name.
    static QString rangeLabel(int range);
    /// The heading of a column in the working shape ("Positive", "10Hz", or "").
    static QString headerText(int column);
    /// The factor index a column holds, or -1 for the label column and columns never written.
    static int factorIndexOfColumn(int column);

signals:
    /// One cell's text or state changed.
    void cellChanged(int row, int column);
    /// The shape changed or every cell may have changed.
    void tableReset();

private:
    CellGrid<CellState> m_grid;
};
