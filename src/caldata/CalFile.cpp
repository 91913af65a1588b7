#include "caldata/CalFile.h"

#include "caldata/CalFactorTable.h"
#include "caldata/FileText.h"
#include "instrument/CommandHelpers.h"

namespace {

const QByteArray kLineEnd = "\r\n";
const QByteArray kLabelSeparator = " , ";
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
    QByteArray out;
    for (int row = 1; row < table.rowCount(); ++row) {
        out += table.text(row, 0).toLatin1();
        out += kLabelSeparator;
        for (int column = 1; column < table.columnCount(); ++column) {
            const QString text = table.text(row, column);
            if (text.isEmpty())
                continue;
            out += text.toLatin1();
            out += ',';
        }
        out += kLineEnd;
    }
    return out;
}

bool CalFile::save(const CalFactorTable &table, const QString &path, QString *error)
{
    return FileText::writeAtomically(path, toBytes(table), error);
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
        QString line = QString::fromLatin1(bytes);
        for (int column = 0; column < kMaxFields && column < table.columnCount(); ++column) {
            const qsizetype comma = line.indexOf(QLatin1Char(','));
            if (comma < 0)
                break;
            table.setCell(row, column, trimBlanks(line.left(comma)),
                          column > 0 ? CalFactorTable::CellState::Pending : CalFactorTable::CellState::InStep);
            line.remove(0, comma + 1);
        }
        ++row;
        ++result.linesRead;
    }
    return result;
}

bool CalFile::read(const QString &path, QByteArray *contents, QString *error)
{
    return FileText::readAll(path, kMaxFileBytes, contents, error);
}
