#pragma once

#include <QList>
#include <QString>

class CellTable;

/**
 * @brief The figures in which two tables of the same kind differ (the instrument's and a file's,
 * or two files'), cell by cell below the headings.
 *
 * Figures are compared as numbers where both read as numbers ("1.50" and "1.5" are the same
 * figure), as text otherwise; a cell one table lacks reads as empty.
 */
class TableDiff
{
public:
    struct Difference
    {
        int row = 0;
        int column = 0;
        QString left;
        QString right;
    };

    static QList<Difference> between(const CellTable &left, const CellTable &right);
    /// Whether two figures are the same figure.
    static bool sameFigure(const QString &left, const QString &right);
    /// What a difference is called in words: the row's label ("012: DCV 10V", or "row 12" where
    /// the table has none), the column's number and heading.
    static QString place(const CellTable &table, const Difference &difference);
};
