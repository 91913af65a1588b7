#pragma once

#include "caldata/SpecTable.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>

/**
 * @brief Shows a SpecTable in a QTableView, as CalFactorGridModel shows the factor table: the
 * table's row 0 becomes the horizontal heading and its column 0 the vertical heading, so the
 * view's cell (r, c) is the table's (r + 1, c + 1). Pending cells are light blue and refused ones
 * red, as in the factor grid; a cell being written is green, and one whose write got an answer
 * that was neither yes nor no is blue.
 */
class SpecGridModel : public QAbstractTableModel
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

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static int tableRow(const QModelIndex &index) { return index.row() + 1; }
    static int tableColumn(const QModelIndex &index) { return index.column() + 1; }

    /// The editor's commit: a changed text becomes pending. True when the cell changed.
    bool commit(const QModelIndex &index, const QString &text);

private:
    void onCellChanged(int row, int column);

    QPointer<SpecTable> m_table;
};
