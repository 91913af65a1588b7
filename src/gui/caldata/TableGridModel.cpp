#include "gui/caldata/TableGridModel.h"

#include "caldata/TableComparison.h"

QColor TableGridModel::stateColor(CellTable::CellState state)
{
    switch (state) {
    case CellTable::CellState::Pending:
        return pendingColor();
    case CellTable::CellState::Rejected:
        return rejectedColor();
    case CellTable::CellState::Writing:
        return writingColor();
    case CellTable::CellState::Unconfirmed:
        return unconfirmedColor();
    case CellTable::CellState::Invalid:
        return invalidColor();
    case CellTable::CellState::NotVerified:
        return notVerifiedColor();
    case CellTable::CellState::InStep:
        break;
    }
    return {};
}

TableGridModel::TableGridModel(CellTable *table, QObject *parent) : HeadedGridModel(parent), m_table(table)
{
    connect(table, &CellTable::cellChanged, this, &TableGridModel::cellChanged);
    connect(table, &CellTable::tableReset, this, &TableGridModel::tableReset);
}

bool TableGridModel::commitCell(int row, int column, const QString &text)
{
    return m_table && m_table->commit(row, column, text);
}

QColor TableGridModel::background(int row, int column) const
{
    if (!m_table)
        return {};
    return m_table->mark(row, column) ? comparedColor() : stateColor(m_table->state(row, column));
}

QColor TableGridModel::foreground(int row, int column) const
{
    // White on the blue of an unconfirmed write, which black would not stand out on.
    if (m_table && !m_table->mark(row, column) && m_table->state(row, column) == CellTable::CellState::Unconfirmed)
        return QColor(Qt::white);
    return {};
}

QString TableGridModel::toolTip(int row, int column) const
{
    if (!m_table)
        return {};
    const QString compared = TableComparison::markNote(*m_table, row, column);
    return compared.isEmpty() ? m_table->note(row, column) : compared;
}

QString TableGridModel::columnHeading(int column) const
{
    // A band in brackets goes under its "ppm Reading" or "ppm Range" so the columns stay narrow;
    // the factor headings ("Positive", "10Hz") have none.
    QString text = tableText(0, column);
    return text.replace(QLatin1String(" ("), QLatin1String("\n("));
}
