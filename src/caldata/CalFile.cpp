#include "caldata/CalFile.h"

#include "instrument/CommandHelpers.h"

#include "caldata/CalFactorTable.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QByteArray kLineEnd = "\r\n";
const QByteArray kLabelSeparator = " , ";
// A grid of 149 lines of 66 factors is a few tens of kilobytes; anything far beyond that is not a
// factor file and is refused rather than read into memory.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

/// The lines of a file: CR LF, a lone CR and a lone LF each end a line; a last line without an
/// end still counts, an end at the very end adds no empty line.
QList<QByteArray> splitFileLines(const QByteArray &contents)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < contents.size(); ++i) {
        const char ch = contents.at(i);
        if (ch != '\r' && ch != '\n')
            continue;
        lines << contents.mid(start, i - start);
        if (ch == '\r' && i + 1 < contents.size() && contents.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < contents.size())
        lines << contents.mid(start);
    return lines;
}

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
    // A device or a pipe (/dev/stdout, a full disk's stand-in /dev/full) is written in place: the
    // temporary file and rename would put a plain file where the device node was.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        QFile device(path);
        const QByteArray bytes = toBytes(table);
        const bool written = device.open(QIODevice::WriteOnly) && device.write(bytes) == bytes.size()
            && device.flush();
        if (!written && error)
            *error = device.errorString();
        return written;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = toBytes(table);
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

CalFile::ReadResult CalFile::fill(CalFactorTable &table, const QByteArray &contents)
{
    ReadResult result;
    int row = 1;
    for (const QByteArray &bytes : splitFileLines(contents)) {
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        if (error)
            *error = QStringLiteral("the file is too large to be a calibration factor file");
        return false;
    }
    *contents = file.read(kMaxFileBytes + 1);
    if (contents->size() > kMaxFileBytes || file.error() != QFileDevice::NoError) {
        if (error)
            *error = contents->size() > kMaxFileBytes ? QStringLiteral("the file is too large to be a calibration factor file")
                                                       : file.errorString();
        return false;
    }
    return true;
}
