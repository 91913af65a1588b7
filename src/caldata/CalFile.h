#pragma once

#include "caldata/TableFile.h"

class CalFactorTable;

/**
 * @brief The ".cal" file: a plain image of the calibration-factor grid, one line per range.
 *
 * A line is the range label, " , ", then each non-empty factor text followed by ",", ended by
 * CR LF; rows 1 to the last are written, row 0 (the headings) never. Reading is positional: the
 * fields of a line fill columns 0, 1, 2, ... in the order they stand, so a row's factors are
 * expected to be contiguous from column 1. Bytes are Latin-1 (the texts are ASCII in practice).
 * There is no version line, checksum or instrument identity.
 */
class CalFile : public TableFile
{
public:
    /// Fields taken from one line at most (columns 0 to 66); the rest of a longer line is ignored.
    static constexpr int kMaxFields = 67;

    /// "Cal Files (*.cal)", "cal", "CalibratorBackup-".
    static const Kind &kind();
    static QString fileFilter() { return kind().filter; }
    static QString defaultSuffix() { return kind().suffix; }
    /// "CalibratorBackup-08Dec26.cal".
    static QString defaultFileName(const QDate &date, const QLocale &locale = QLocale())
    {
        return kind().defaultFileName(date, locale);
    }

    /// The file's bytes for the table as it stands.
    static QByteArray toBytes(const CalFactorTable &table);

    /// Writes the table through a temporary file that replaces `path` only once complete, so a
    /// failed save leaves an existing file whole. A device or pipe is written in place instead,
    /// never replaced. False, with a reason, when it failed.
    static bool save(const CalFactorTable &table, const QString &path, QString *error = nullptr);

    /// Puts a file's lines into rows 1, 2, ... of the table, each field into the next column;
    /// every value cell it fills (column 1 onwards) becomes pending. The table is expected in its
    /// working shape and is not cleared here. A line beyond the grid's last row stops the reading
    /// with the rows read so far kept.
    static ReadResult fill(CalFactorTable &table, const QByteArray &contents);
};
