#pragma once

#include "instrument/CommandHelpers.h"

#include <QByteArray>
#include <QList>
#include <QString>

/**
 * @brief What the table files (".spec", ".cal") have in common: their lines, their row layout
 * ("label , figure,figure,...,"), reading a whole small file, and writing one through a temporary
 * file so that a failed save never destroys the previous file.
 */
namespace FileText {

/// The file's lines: CR LF, a lone CR and a lone LF each end a line; a last line without an end
/// still counts; an end at the very end adds no empty line.
QList<QByteArray> splitLines(const QByteArray &contents);

/// Reads the whole file; false, with a reason, when it cannot be read or is larger than maxBytes
/// (a table file is a few tens of kilobytes; a huge file is not one and is not read into memory).
bool readAll(const QString &path, qint64 maxBytes, QByteArray *contents, QString *error = nullptr);

/// Writes the bytes to a temporary file beside `path` and puts it in place only once complete.
/// False, with a reason, when anything failed; the previous file is then untouched. A device or
/// pipe is written in place instead, never replaced.
bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

/// Rows 1 onwards of a table (a CalFactorTable or a SpecTable), each as its label (as
/// `labelText` gives it), " , ", every non-empty figure followed by ",", and CR LF.
template <typename Table, typename LabelText>
QByteArray tableRows(const Table &table, LabelText labelText)
{
    QByteArray out;
    for (int row = 1; row < table.rowCount(); ++row) {
        out += QString(labelText(table.text(row, 0))).toLatin1();
        out += " , ";
        for (int column = 1; column < table.columnCount(); ++column) {
            const QString text = table.text(row, column);
            if (text.isEmpty())
                continue;
            out += text.toLatin1();
            out += ',';
        }
        out += "\r\n";
    }
    return out;
}

template <typename Table>
QByteArray tableRows(const Table &table)
{
    return tableRows(table, [](const QString &label) { return label; });
}

/// False, with a reason, when a label or figure holds a comma: the row layout cannot carry one
/// (read back, "1,5" becomes two figures and every later figure of the row moves one column on,
/// so a later save to the instrument would write them to the wrong factors).
///
/// Nor can it carry a gap: an empty value is left out of its line, so a value after it would come
/// back one column further left, as the factor before it.
template <typename Table>
bool carriesEveryCell(const Table &table, QString *error)
{
    for (int row = 1; row < table.rowCount(); ++row) {
        int gap = 0; // the first empty value column of the row so far
        for (int column = 0; column < table.columnCount(); ++column) {
            const QString text = table.text(row, column);
            if (text.contains(QLatin1Char(','))) {
                if (error)
                    *error = QStringLiteral("row %1, column %2 holds \"%3\": a comma cannot be kept in the file")
                                 .arg(row)
                                 .arg(column)
                                 .arg(text);
                return false;
            }
            if (column > 0 && text.isEmpty() && gap == 0)
                gap = column;
            if (column > 0 && !text.isEmpty() && gap > 0) {
                if (error)
                    *error = QStringLiteral("row %1, column %2 is empty but column %3 holds \"%4\": the file cannot "
                                            "keep the gap (read back, the later values would move one column left). "
                                            "Fill in or clear the values after it")
                                 .arg(row)
                                 .arg(gap)
                                 .arg(column)
                                 .arg(text);
                return false;
            }
        }
    }
    return true;
}

/// Fills a row from one line of a table file: each comma-ended field, trimmed, goes to the next
/// column from 0 while columns remain (at most `maxColumns`); the label stays in step and the
/// figures become pending, to be written to the instrument. Text after the last comma is ignored.
template <typename Table>
void fillRow(Table &table, int row, const QString &line, int maxColumns)
{
    using State = typename Table::CellState;
    qsizetype start = 0;
    for (int column = 0; column < maxColumns && column < table.columnCount(); ++column) {
        const qsizetype comma = line.indexOf(QLatin1Char(','), start);
        if (comma < 0)
            break;
        table.setCell(row, column, trimBlanks(line.mid(start, comma - start)),
                      column > 0 ? State::Pending : State::InStep);
        start = comma + 1;
    }
}

} // namespace FileText
