#include "caldata/TableDiff.h"

#include "caldata/CellTable.h"

QList<TableDiff::Difference> TableDiff::between(const CellTable &left, const CellTable &right)
{
    QList<Difference> differences;
    const int rows = qMax(left.rowCount(), right.rowCount());
    const int columns = qMax(left.columnCount(), right.columnCount());
    // Row 0 and column 0 are the headings and labels, not figures.
    for (int row = 1; row < rows; ++row) {
        for (int column = 1; column < columns; ++column) {
            const QString a = left.text(row, column);
            const QString b = right.text(row, column);
            if (!sameFigure(a, b))
                differences.append({row, column, a, b});
        }
    }
    return differences;
}

bool TableDiff::sameFigure(const QString &left, const QString &right)
{
    const QString a = left.trimmed();
    const QString b = right.trimmed();
    if (a == b)
        return true;
    bool aIsNumber = false;
    bool bIsNumber = false;
    const double x = a.toDouble(&aIsNumber);
    const double y = b.toDouble(&bIsNumber);
    return aIsNumber && bIsNumber && x == y;
}

QString TableDiff::place(const CellTable &table, const Difference &difference)
{
    QString row = table.text(difference.row, 0).trimmed();
    if (row.isEmpty())
        row = QStringLiteral("row %1").arg(difference.row);
    QString column = QStringLiteral("column %1").arg(difference.column);
    const QString heading = table.text(0, difference.column).trimmed();
    if (!heading.isEmpty())
        column += QStringLiteral(" (%1)").arg(heading);
    return row + QStringLiteral(", ") + column;
}
