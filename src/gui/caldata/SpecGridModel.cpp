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

SpecGridModel::SpecGridModel(SpecTable *table, QObject *parent) : HeadedGridModel(parent), m_table(table)
{
    connect(table, &SpecTable::cellChanged, this, &SpecGridModel::cellChanged);
    connect(table, &SpecTable::tableReset, this, &SpecGridModel::tableReset);
}

bool SpecGridModel::commitCell(int row, int column, const QString &text)
{
    return m_table && m_table->commit(row, column, text);
}

QColor SpecGridModel::background(int row, int column) const
{
    return m_table ? stateColor(m_table->state(row, column)) : QColor();
}

QColor SpecGridModel::foreground(int row, int column) const
{
    // White on the blue of an unconfirmed write, which black would not stand out on.
    if (m_table && m_table->state(row, column) == SpecTable::CellState::Unconfirmed)
        return QColor(Qt::white);
    return {};
}

QString SpecGridModel::columnHeading(int column) const
{
    // The band goes under its "ppm Reading" or "ppm Range" so the columns stay narrow.
    QString text = tableText(0, column);
    return text.replace(QLatin1String(" ("), QLatin1String("\n("));
}
