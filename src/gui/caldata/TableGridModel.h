#pragma once

#include "caldata/CellTable.h"
#include "gui/caldata/HeadedGridModel.h"

#include <QPointer>

/**
 * @brief Shows a table window's CellTable (factors or specifications) in a QTableView, each
 * cell coloured by its state so the engineer sees at a glance what still has to go to the
 * instrument and what it made of what was sent: pending light blue, refused red, being written
 * green, neither taken nor refused blue, not a value at all orange, not kept as written purple. A cell's tooltip says
 * why it is red, blue, orange or purple.
 *
 * A cell that "Compare with File..." found different from the file is yellow over whatever its
 * state's colour was, its tooltip giving the file's figure first; the state itself is untouched.
 */
class TableGridModel : public HeadedGridModel
{
    Q_OBJECT
public:
    /// Changed and still to be written: red 200, green 230, blue 250.
    static QColor pendingColor() { return QColor(200, 230, 250); }
    /// Refused by the instrument.
    static QColor rejectedColor() { return QColor(255, 0, 0); }
    /// Not a value the instrument takes, so never sent: orange, apart from the instrument's red.
    static QColor invalidColor() { return QColor(255, 165, 0); }
    /// Being written at this moment.
    static QColor writingColor() { return QColor(0, 255, 0); }
    /// The instrument's status was neither yes nor no.
    static QColor unconfirmedColor() { return QColor(0, 0, 255); }
    /// Accepted, but read back it is not what was written.
    static QColor notVerifiedColor() { return QColor(214, 140, 255); }
    /// Differs from the file it was last compared with: a yellow apart from the orange of a cell
    /// that is no value, light enough for black text.
    static QColor comparedColor() { return QColor(255, 240, 120); }
    /// The colour of a cell in a given state; invalid for a cell in step (the grid's own).
    static QColor stateColor(CellTable::CellState state);

    explicit TableGridModel(CellTable *table, QObject *parent = nullptr);

protected:
    int tableRowCount() const override { return m_table ? m_table->rowCount() : 0; }
    int tableColumnCount() const override { return m_table ? m_table->columnCount() : 0; }
    QString tableText(int row, int column) const override { return m_table ? m_table->text(row, column) : QString(); }
    bool commitCell(int row, int column, const QString &text) override;
    QColor background(int row, int column) const override;
    QColor foreground(int row, int column) const override;
    QString toolTip(int row, int column) const override;
    QString columnHeading(int column) const override;

private:
    QPointer<CellTable> m_table;
};
