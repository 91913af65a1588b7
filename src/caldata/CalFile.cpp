#include "caldata/CalFile.h"

#include "caldata/CalFactorTable.h"
#include "caldata/FileText.h"

const TableFile::Kind &CalFile::kind()
{
    static const Kind kind{QStringLiteral("Cal Files (*.cal)"), QStringLiteral("cal"),
                           QStringLiteral("CalibratorBackup-")};
    return kind;
}

QByteArray CalFile::toBytes(const CalFactorTable &table)
{
    return FileText::tableRows(table);
}

bool CalFile::save(const CalFactorTable &table, const QString &path, QString *error)
{
    return TableFile::save(table, toBytes(table), path, error);
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
        ++result.rowsRead;
    }
    return result;
}
