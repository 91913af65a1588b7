#pragma once

#include "caldata/CellTable.h"

/**
 * @brief The calibration-factor grid: one row per range, one column per factor.
 *
 * Row 0 holds the column headings and column 0 the range labels; cell (r, c) with c >= 1 is
 * factor c - 1 of range r. A freshly opened grid is 71 x 24 and empty; loading from the
 * instrument or from a file gives it its working shape of 150 x 67 with headings. The grid holds
 * texts, not numbers: a factor stays exactly as the instrument printed it or the engineer typed
 * it until it is written. Its cells are in step, pending or rejected.
 */
class CalFactorTable : public CellTable
{
    Q_OBJECT
public:
    static constexpr int kInitialRows = 71;
    static constexpr int kInitialColumns = 24;
    static constexpr int kRows = 150;
    static constexpr int kColumns = 67;
    static constexpr int kFirstRange = 1;
    static constexpr int kLastRange = 149;
    /// Columns 1 to 62 hold factor indexes 0 to 61; the columns after them are never written.
    static constexpr int kLastFactorIndex = 61;

    explicit CalFactorTable(QObject *parent = nullptr);

    /// Gives the grid a new size with every cell empty and in step, headings included.
    void reset(int rows, int columns) { reshape(rows, columns); }
    /// The working shape: 150 x 67, every cell cleared, then the headings of row 0.
    void reshapeForFactors() { reshape(kRows, kColumns, &CalFactorTable::headerText); }
    /// Empties every cell, headings included, keeping the shape.
    void clearAll() { reset(rowCount(), columnCount()); }

    /// The label of a range's row: the number as three digits, ": ", the range's name.
    static QString rangeLabel(int range);
    /// The heading of a column in the working shape ("Positive", "10Hz", or "").
    static QString headerText(int column);
    /// The factor index a column holds, or -1 for the label column and columns never written.
    static int factorIndexOfColumn(int column);
};
