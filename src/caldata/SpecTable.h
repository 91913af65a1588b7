#pragma once

#include "caldata/CellTable.h"

/**
 * @brief The specification grid: one row per range of the instrument, and for seven frequency
 * bands a pair of figures (ppm of reading, ppm of range). The table's version text travels with
 * it.
 *
 * Row 0 holds the column headings and column 0 the range labels as the instrument sends them;
 * cell (r, c) with c >= 1 is figure c - 1 of row r. The grid starts with its heading row and one
 * empty row and grows on demand: writing to a row that does not exist yet appends rows.
 */
class SpecTable : public CellTable
{
    Q_OBJECT
public:
    static constexpr int kColumns = 15;
    static constexpr int kInitialRows = 2;
    /// Figure indexes 0 to 13 in columns 1 to 14.
    static constexpr int kFigures = 14;
    /// The instrument holds specification rows 1 to 70; rows beyond are never written.
    static constexpr int kFirstWritableRow = 1;
    static constexpr int kLastWritableRow = 70;
    /// A grid never grows beyond this many rows, whatever a reply or a file holds.
    static constexpr int kMaxRows = 10000;

    explicit SpecTable(QObject *parent = nullptr);

    /// The empty grid: a heading row and one empty row, every cell in step.
    void initGrid() { reshape(kInitialRows, kColumns, &SpecTable::headerText); }
    /// Appends empty rows until `row` exists. False when the row lies beyond kMaxRows.
    bool ensureRow(int row);

    /// The table's version text ("Version" on the window, the first line of a ".spec" file).
    QString version() const { return m_version; }
    void setVersion(const QString &version);

    /// Column headings: "ppm Reading (DC-40Hz)", "ppm Range (DC-40Hz)", ... "" outside 1 to 14.
    static QString headerText(int column);
    /// The figure index a column holds, or -1 for the label column and beyond the last figure.
    static int figureIndexOfColumn(int column);

signals:
    void versionChanged(const QString &version);

private:
    QString m_version;
};
