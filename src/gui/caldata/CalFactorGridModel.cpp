#include "gui/caldata/CalFactorGridModel.h"

CalFactorGridModel::CalFactorGridModel(CalFactorTable *table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{
    connect(table, &CalFactorTable::cellChanged, this, &CalFactorGridModel::onCellChanged);
    // The table has already changed when it says so; a reset is all a view needs.
    connect(table, &CalFactorTable::tableReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int CalFactorGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_table ? 0 : qMax(0, m_table->rowCount() - 1);
}

int CalFactorGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_table ? 0 : qMax(0, m_table->columnCount() - 1);
}

QVariant CalFactorGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_table)
        return {};
    const int row = tableRow(index);
    const int column = tableColumn(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_table->text(row, column);
    case Qt::BackgroundRole:
        switch (m_table->state(row, column)) {
        case CalFactorTable::CellState::Pending:
            return pendingColor();
        case CalFactorTable::CellState::Rejected:
            return rejectedColor();
        case CalFactorTable::CellState::InStep:
            break;
        }
        return {};
    default:
        return {};
    }
}

QVariant CalFactorGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!m_table)
        return {};
    if (role == Qt::DisplayRole)
        return orientation == Qt::Horizontal ? m_table->text(0, section + 1) : m_table->text(section + 1, 0);
    // Range labels stand to the left, centred vertically.
    if (role == Qt::TextAlignmentRole && orientation == Qt::Vertical)
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

bool CalFactorGridModel::commit(const QModelIndex &index, const QString &text)
{
    return index.isValid() && m_table && m_table->commit(tableRow(index), tableColumn(index), text);
}

void CalFactorGridModel::onCellChanged(int row, int column)
{
    if (row == 0 && column > 0) {
        emit headerDataChanged(Qt::Horizontal, column - 1, column - 1);
    } else if (column == 0 && row > 0) {
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    } else if (row > 0 && column > 0) {
        const QModelIndex at = index(row - 1, column - 1);
        emit dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole, Qt::BackgroundRole});
    }
}
