#pragma once

#include "caldata/CalFactorTable.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>

/**
 * @brief Shows a CalFactorTable in a QTableView: the table's row 0 becomes the horizontal
 * heading and its column 0 the vertical heading, so the view's cell (r, c) is the table's
 * (r + 1, c + 1). Pending cells are light blue and rejected ones red, so the engineer sees at a
 * glance what still has to go to the instrument and what it refused.
 */
class CalFactorGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    /// Changed and still to be written: red 200, green 230, blue 250.
    static QColor pendingColor() { return QColor(200, 230, 250); }
    /// Refused by the instrument, or not a value it could take.
    static QColor rejectedColor() { return QColor(255, 0, 0); }

    explicit CalFactorGridModel(CalFactorTable *table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// The table's row and column of a view index.
    static int tableRow(const QModelIndex &index) { return index.row() + 1; }
    static int tableColumn(const QModelIndex &index) { return index.column() + 1; }
    QModelIndex indexForCell(int tableRow, int tableColumn) const { return index(tableRow - 1, tableColumn - 1); }

    /// The editor's commit: a changed text becomes pending. True when the cell changed.
    bool commit(const QModelIndex &index, const QString &text);

private:
    void onCellChanged(int row, int column);

    QPointer<CalFactorTable> m_table;
};
