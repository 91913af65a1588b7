#include "gui/caldata/HeadedGridModel.h"

int HeadedGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    takeShape();
    return qMax(0, m_rows - 1);
}

int HeadedGridModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    takeShape();
    return qMax(0, m_columns - 1);
}

void HeadedGridModel::takeShape() const
{
    // Once: afterwards only a reset changes it.
    if (m_rows < 0) {
        m_rows = tableRowCount();
        m_columns = tableColumnCount();
    }
}

QVariant HeadedGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || tableRow(index) >= tableRowCount() || tableColumn(index) >= tableColumnCount())
        return {};
    const int row = tableRow(index);
    const int column = tableColumn(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return tableText(row, column);
    case Qt::BackgroundRole: {
        const QColor color = background(row, column);
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case Qt::ForegroundRole: {
        const QColor color = foreground(row, column);
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case Qt::ToolTipRole: {
        const QString tip = toolTip(row, column);
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    default:
        return {};
    }
}

QVariant HeadedGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole)
        return orientation == Qt::Horizontal ? columnHeading(section + 1) : tableText(section + 1, 0);
    // Row labels stand to the left, centred vertically.
    if (role == Qt::TextAlignmentRole && orientation == Qt::Vertical)
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

bool HeadedGridModel::commit(const QModelIndex &index, const QString &text)
{
    return index.isValid() && commitCell(tableRow(index), tableColumn(index), text);
}

void HeadedGridModel::cellChanged(int row, int column)
{
    if (row == 0 && column > 0) {
        emit headerDataChanged(Qt::Horizontal, column - 1, column - 1);
    } else if (column == 0 && row > 0) {
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    } else if (row > 0 && column > 0) {
        const QModelIndex at = index(row - 1, column - 1);
        if (!at.isValid())
            return; // a cell of a shape the view has not been told of yet: the reset will show it
        emit dataChanged(at, at,
                         {Qt::DisplayRole, Qt::EditRole, Qt::BackgroundRole, Qt::ForegroundRole, Qt::ToolTipRole});
    }
}

void HeadedGridModel::tableReset()
{
    // The table has already changed when it says so; a reset is all a view needs.
    beginResetModel();
    m_rows = tableRowCount();
    m_columns = tableColumnCount();
    endResetModel();
}
