#pragma once

#include "caldata/SpecTable.h"
#include "gui/caldata/HeadedGridModel.h"

#include <QPointer>

/**
 * @brief Shows a SpecTable in a QTableView, as CalFactorGridModel shows the factor table. Pending
 * cells are light blue and refused ones red, as in the factor grid; a cell being written is
 * green, and one whose write got an answer that was neither yes nor no is blue.
 */
class SpecGridModel : public HeadedGridModel
{
    Q_OBJECT
public:
    /// Being written at this moment.
    static QColor writingColor() { return QColor(0, 255, 0); }
    /// The instrument's answer was neither "*0" nor "*9" (a time-out included).
    static QColor unconfirmedColor() { return QColor(0, 0, 255); }
    /// The colour of a cell in a given state; invalid for a cell in step (the grid's own).
    static QColor stateColor(SpecTable::CellState state);

    explicit SpecGridModel(SpecTable *table, QObject *parent = nullptr);

protected:
    int tableRowCount() const override { return m_table ? m_table->rowCount() : 0; }
    int tableColumnCount() const override { return m_table ? m_table->columnCount() : 0; }
    QString tableText(int row, int column) const override { return m_table ? m_table->text(row, column) : QString(); }
    bool commitCell(int row, int column, const QString &text) override;
    QColor background(int row, int column) const override;
    QColor foreground(int row, int column) const override;
    QString columnHeading(int column) const override;

private:
    QPointer<SpecTable> m_table;
};
