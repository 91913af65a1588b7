#pragma once

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QString>

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
class SpecFile
{
public:
    /// A specification table is a few kilobytes; a file far beyond this is not one.
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

    /// The dialog filter.
    static QString fileFilter() { return QStringLiteral("Specification Files (*.spec)"); }
    static QString defaultSuffix() { return QStringLiteral("spec"); }
    /// "DMMBackup-" + the date as day (two digits), the locale's short month name and the year
    /// (two digits) + ".spec": "DMMBackup-08Dec26.spec".
    static QString defaultFileName(const QDate &date, const QLocale &locale = QLocale());

    /// The file's bytes for the table as it stands.
    static QByteArray toBytes(const SpecTable &table);

    /// Writes the table through a temporary file that replaces `path` only once complete, so a
    /// failed save leaves an existing file whole. False, with a reason, when it failed.
    static bool save(const SpecTable &table, const QString &path, QString *error = nullptr);

    struct ReadResult
    {
        int rowsRead = 0;  ///< grid rows the file gave
        bool complete = true;
        QString error;     ///< why reading stopped early
    };

    /// Puts a file's contents into the table: the version, and the rows into rows 1, 2, ...,
    /// growing the grid as needed; every value cell it fills (column 1 onwards) becomes pending.
    /// The table is not cleared here.
    static ReadResult fill(SpecTable &table, const QByteArray &contents);

    /// The whole file, or false with a reason.
    static bool read(const QString &path, QByteArray *contents, QString *error = nullptr);
};
