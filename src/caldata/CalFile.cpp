#include "caldata/CalFile.h"

#include "caldata/CalFactorTable.h"
#include "caldata/FileText.h"

namespace {

// A grid of 149 lines of 66 factors is a few tens of kilobytes; anything far beyond that is not a
// factor file and is refused rather than read into memory.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

} // namespace

QString CalFile::defaultFileName(const QDate &date, const QLocale &locale)
{
    return QStringLiteral("CalibratorBackup-") + locale.toString(date, QStringLiteral("ddMMMyy"))
        + QStringLiteral(".cal");
}

QByteArray CalFile::toBytes(const CalFactorTable &table)
{
    return FileText::tableRows(table);
}

bool CalFile::save(const CalFactorTable &table, const QString &path, QString *error)
{
    return FileText::carriesEveryCell(table, error) && FileText::writeAtomically(path, toBytes(table), error);
}

CalFile::ReadResult CalFile::fill(CalFactorTable &table, const QByteArray &contents)
{
    ReadResult result;
    int row = 1;
    for (const QByteArray &bytes : FileText::splitLines(contents)) {
        if (row >= table.rowCount()) {
            result.complete = false;
            result.error = QStringLiteral("more lines than the table has rows (%1)").arg(table.rowCount() - 1);
            return result;
        }
        FileText::fillRow(table, row, QString::fromLatin1(bytes), kMaxFields);
        ++row;
        ++result.linesRead;
    }
    return result;
}

bool CalFile::read(const QString &path, QByteArray *contents, QString *error)
{
    return FileText::readAll(path, kMaxFileBytes, contents, error);
}
