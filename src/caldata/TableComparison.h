#pragma once

#include "caldata/OperationOutcome.h"

#include <QString>

#include <memory>

class CellTable;
class Prompts;

/**
 * @brief "Compare with File...": a table file read into a table of its own, compared figure by
 * figure with what a table window's grid holds now, and every differing cell of the grid marked
 * with the file's figure.
 *
 * The file is read as "Load from File" reads it, into a separate table over a channel that sends
 * nothing; the grid itself changes only in its marks, so its pending cells stay pending. Figures
 * are compared as TableDiff compares them: "1.50" and "1.5" are the same figure.
 */
class TableComparison
{
public:
    /// What tells the factor file from the specification file.
    struct Kind
    {
        QString filter;    ///< the open dialog's, as "Load from File" offers it
        QString cellName;  ///< "factor"
        QString cellsName; ///< "factors"
        /// A fresh table of the kind, filled from the file at `path`; null, with a reason, when
        /// the file cannot be read.
        std::unique_ptr<CellTable> (*read)(const QString &path, Prompts &prompts, QString *error);
    };
    static const Kind &factors();
    static const Kind &figures();

    struct Result
    {
        OperationOutcome outcome = OperationOutcome::Failed;
        int differing = 0; ///< figures that differ, wherever they are
        int unshown = 0;   ///< of them, in rows or columns the grid does not have
        QString report;    ///< for the window's status line
    };

    TableComparison(CellTable &table, const Kind &kind) : m_table(table), m_kind(kind) {}

    /// The dialog's title and filter.
    static QString dialogTitle() { return QStringLiteral("Compare with File"); }
    QString fileFilter() const { return m_kind.filter; }
    /// What the status line says when no file was chosen.
    static QString cancelledText() { return QStringLiteral("Compare cancelled"); }

    /// Reads the file and marks every cell of the grid whose figure differs from the file's,
    /// replacing the marks of an earlier comparison. A file that cannot be read is reported in a
    /// message box naming it and the cause, and the marks stay as they were (Failed).
    Result compareWith(const QString &path, Prompts &prompts);

    /// A marked cell's tooltip: the file's figure, then what the cell's state would have said
    /// (its colour gives way to the mark's); "" for a cell not marked.
    static QString markNote(const CellTable &table, int row, int column);

private:
    QString differText(int differing, const QString &fileName) const;

    CellTable &m_table;
    const Kind &m_kind;
};
