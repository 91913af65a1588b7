#pragma once

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QString>

class CellTable;

/**
 * @brief What the table files (".cal", ".spec") share around their row layout: the dialog's
 * filter and suffix, the default name with today's date, the size limit on reading, the result
 * of reading, and the save that refuses a table the layout cannot carry. CalFile and SpecFile
 * add their own lines.
 */
class TableFile
{
public:
    /// A table file is a few tens of kilobytes; anything far beyond that is not one and is
    /// refused rather than read into memory.
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

    /// How a format is offered in the file dialogs.
    struct Kind
    {
        QString filter;     ///< "Cal Files (*.cal)"
        QString suffix;     ///< "cal"
        QString namePrefix; ///< "CalibratorBackup-"

        /// The prefix, the date as day (two digits), the locale's short month name and the year
        /// (two digits), then the suffix: "CalibratorBackup-08Dec26.cal".
        QString defaultFileName(const QDate &date, const QLocale &locale = QLocale()) const;
    };

    struct ReadResult
    {
        int rowsRead = 0; ///< grid rows the file gave
        bool complete = true;
        QString error; ///< why reading stopped early
    };

    /// The whole file, or false with a reason.
    static bool read(const QString &path, QByteArray *contents, QString *error = nullptr);

protected:
    /// Writes a table's bytes through a temporary file that replaces `path` only once complete,
    /// so a failed save leaves an existing file whole; a table holding a comma in a cell is
    /// refused first. False, with a reason, when it failed.
    static bool save(const CellTable &table, const QByteArray &bytes, const QString &path, QString *error);
};
