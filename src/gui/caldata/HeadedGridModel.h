#pragma once

#include <QAbstractTableModel>
#include <QColor>

/**
 * @brief Shows a table whose row 0 holds the column headings and column 0 the row labels (the
 * factor table, the specification table) in a QTableView: the table's row 0 becomes the
 * horizontal heading and its column 0 the vertical heading, so the view's cell (r, c) is the
 * table's (r + 1, c + 1). A subclass says how to reach its table and what colour a cell's state
 * takes; the index arithmetic and the change notices live here once.
 */
class HeadedGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
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

protected:
    explicit HeadedGridModel(QObject *parent) : QAbstractTableModel(parent) {}

    /// The table's own size, heading row and label column included; 0 once the table is gone.
    virtual int tableRowCount() const = 0;
    virtual int tableColumnCount() const = 0;
    virtual QString tableText(int row, int column) const = 0;
    virtual bool commitCell(int row, int column, const QString &text) = 0;
    /// A cell's colours; invalid for the view's own.
    virtual QColor background(int row, int column) const = 0;
    virtual QColor foreground(int, int) const { return {}; }
    /// What a cell's tooltip says; "" for none.
    virtual QString toolTip(int, int) const { return {}; }
    /// The text over a column; the table's heading as it stands unless a subclass lays it out.
    virtual QString columnHeading(int column) const { return tableText(0, column); }

    /// Connect to the table's own notices: one cell changed, or the whole table did.
    void cellChanged(int row, int column);
    void tableReset();

private:
    /// The shape the view was last told of. A reading on the instrument's thread reshapes the
    /// table before its notice reaches the view here, and a view must not see rows come and go
    /// between a reset and the next.
    void takeShape() const;
    mutable int m_rows = -1;
    mutable int m_columns = -1;
};
