#include "caldata/TableFile.h"

#include "caldata/CellTable.h"
#include "caldata/FileText.h"

QString TableFile::Kind::defaultFileName(const QDate &date, const QLocale &locale) const
{
    return namePrefix + locale.toString(date, QStringLiteral("ddMMMyy")) + QLatin1Char('.') + suffix;
}

bool TableFile::read(const QString &path, QByteArray *contents, QString *error)
{
    return FileText::readAll(path, kMaxFileBytes, contents, error);
}

bool TableFile::save(const CellTable &table, const QByteArray &bytes, const QString &path, QString *error)
{
    return FileText::carriesEveryCell(table, error) && FileText::writeAtomically(path, bytes, error);
}
