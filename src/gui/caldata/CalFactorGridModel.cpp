#include "gui/caldata/CalFactorGridModel.h"

CalFactorGridModel::CalFactorGridModel(CalFactorTable *table, QObject *parent)
    : HeadedGridModel(parent), m_table(table)
{
    connect(table, &CalFactorTable::cellChanged, this, &CalFactorGridModel::cellChanged);
    connect(table, &CalFactorTable::tableReset, this, &CalFactorGridModel::tableReset);
}

bool CalFactorGridModel::commitCell(int row, int column, const QString &text)
{
    return m_table && m_table->commit(row, column, text);
}

QColor CalFactorGridModel::background(int row, int column) const
{
    if (!m_table)
        return {};
    switch (m_table->state(row, column)) {
    case CalFactorTable::CellState::Pending:
        return pendingColor();
    case CalFactorTable::CellState::Rejected:
        return rejectedColor();
    case CalFactorTable::CellState::InStep:
        break;
    }
    return {};
}
