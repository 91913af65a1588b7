#pragma once

#include "caldata/TableFile.h"

class SpecTable;

/**
 * @brief The ".spec" file: the specification grid as text, with its version.
 *
 * The first line is "Version " and the table's version text; then one line per grid row from
 * row 1: the row's label, " , ", then each non-empty figure of columns 1 to 14 followed by ",";
 * lines end with CR LF. On reading, a line starting "VERSION" in any case gives the version, a
 * line starting "#" is a comment, and every other line is the next grid row, its comma-ended
 * fields filling columns 0, 1, 2 ... in the order they stand. Bytes are Latin-1.
 */
class SpecFile : public TableFile
{
public:
    /// "Specification Files (*.spec)", "spec", "DMMBackup-".
    static const Kind &kind();
    static QString fileFilter() { return kind().filter; }
    static QString defaultSuffix() { return kind().suffix; }
    /// "DMMBackup-08Dec26.spec".
    static QString defaultFileName(const QDate &date, const QLocale &locale = QLocale())
    {
        return kind().defaultFileName(date, locale);
    }

    /// The file's bytes for the table as it stands.
    static QByteArray toBytes(const SpecTable &table);

    /// Writes the table through a temporary file that replaces `path` only once complete, so a
    /// failed save leaves an existing file whole. False, with a reason, when it failed.
    static bool save(const SpecTable &table, const QString &path, QString *error = nullptr);

    /// Puts a file's contents into the table: the version, and the rows into rows 1, 2, ...,
    /// growing the grid as needed; every value cell it fills (column 1 onwards) becomes pending.
    /// The table is not cleared here.
    static ReadResult fill(SpecTable &table, const QByteArray &contents);
};
