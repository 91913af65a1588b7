#include "gui/caldata/SpecGridModel.h"

#include "gui/caldata/CalFactorGridModel.h"

QColor SpecGridModel::stateColor(SpecTable::CellState state)
{
    switch (state) {
    case SpecTable::CellState::Pending:
        return CalFactorGridModel::pendingColor();
    case SpecTable::CellState::Rejected:
        return CalFactorGridModel::rejectedColor();
    case SpecTable::CellState::Writing:
        return writingColor();
    case SpecTable::CellState::Unconfirmed:
        return unconfirmedColor();
    case SpecTable::CellState::InStep:
        break;
    }
    return {};
}

SpecGridModel::SpecGridModel(SpecTable *table, QObject *parent) : QAbstractTableModel(parent), m_table(table)
{
    connect(table, &SpecTable::cellChanged, this, &SpecGridModel::onCellChanged);
    // The table has already changed when it says so; a reset is all a view needs.
    connect(table, &SpecTable::tableReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int SpecGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_table ? 0 : qMax(0, m_table->rowCount() - 1);
}

int SpecGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_table ? 0 : qMax(0, m_table->columnCount() - 1);
}

QVariant SpecGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_table)
        return {};
    const int row = tableRow(index);
    const int column = tableColumn(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_table->text(row, column);
    case Qt::BackgroundRole: {
        const QColor color = stateColor(m_table->state(row, column));
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case Qt::ForegroundRole:
        // White on the blue of an unconfirmed write, which black would not stand out on.
        if (m_table->state(row, column) == SpecTable::CellState::Unconfirmed)
            return QColor(Qt::white);
        return {};
    default:
        return {};
    }
}

QVariant SpecGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!m_table)
        return {};
    if (role == Qt::DisplayRole) {
        if (orientation == Qt::Horizontal) {
            // The band goes under its "ppm Reading" or "ppm Range" so the columns stay narrow.
            QString text = m_table->text(0, section + 1);
            return text.replace(QLatin1String(" ("), QLatin1String("\n("));
        }
        return m_table->text(section + 1, 0);
    }
    if (role == Qt::TextAlignmentRole && orientation == Qt::Vertical)
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

bool SpecGridModel::commit(const QModelIndex &index, const QString &text)
{
    return index.isValid() && m_table && m_table->commit(tableRow(index), tableColumn(index), text);
}

void SpecGridModel::onCellChanged(int row, int column)
{
    if (row == 0 && column > 0) {
        emit headerDataChanged(Qt::Horizontal, column - 1, column - 1);
    } else if (column == 0 && row > 0) {
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    } else if (row > 0 && column > 0) {
        const QModelIndex at = index(row - 1, column - 1);
        emit dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole, Qt::BackgroundRole, Qt::ForegroundRole});
    }
}
