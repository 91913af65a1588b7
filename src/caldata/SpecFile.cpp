#include "caldata/SpecFile.h"

#include "caldata/FileText.h"
#include "caldata/SpecTable.h"
#include "instrument/CommandHelpers.h"

namespace {

const QByteArray kLineEnd = "\r\n";
const QString kVersionWord = QStringLiteral("VERSION");

bool isVersionLine(const QString &line)
{
    return line.left(kVersionWord.size()).toUpper() == kVersionWord;
}

bool isCommentLine(const QString &line)
{
    return line.startsWith(QLatin1Char('#'));
}

} // namespace

const TableFile::Kind &SpecFile::kind()
{
    static const Kind kind{QStringLiteral("Specification Files (*.spec)"), QStringLiteral("spec"),
                           QStringLiteral("DMMBackup-")};
    return kind;
}

QByteArray SpecFile::toBytes(const SpecTable &table)
{
    // A line break inside the version would end the line early and turn the rest into a row.
    QString version = trimBlanks(table.version());
    version.remove(QLatin1Char('\r'));
    version.remove(QLatin1Char('\n'));
    QByteArray out = "Version " + version.toLatin1() + kLineEnd;
    // A row whose label starts like a comment ("#") or a version line would be read back as one:
    // the row would be lost and every row below it would move up one range. A blank in front
    // keeps it a row; the reader trims it off the label again.
    out += FileText::tableRows(table, [](const QString &label) {
        return isVersionLine(label) || isCommentLine(label) ? QLatin1Char(' ') + label : label;
    });
    return out;
}

bool SpecFile::save(const SpecTable &table, const QString &path, QString *error)
{
    return TableFile::save(table, toBytes(table), path, error);
}

SpecFile::ReadResult SpecFile::fill(SpecTable &table, const QByteArray &contents)
{
    ReadResult result;
    int row = 1;
    for (const QByteArray &bytes : FileText::splitLines(contents)) {
        const QString line = QString::fromLatin1(bytes);
        if (isVersionLine(line)) {
            table.setVersion(trimBlanks(line.mid(kVersionWord.size())));
            continue;
        }
        if (isCommentLine(line))
            continue;
        if (!table.ensureRow(row)) {
            result.complete = false;
            result.error = QStringLiteral("more than %1 rows").arg(SpecTable::kMaxRows - 1);
            return result;
        }
        FileText::fillRow(table, row, line, table.columnCount());
        ++row;
        ++result.rowsRead;
    }
    return result;
}
