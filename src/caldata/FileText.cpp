#include "caldata/FileText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace FileText {

QList<QByteArray> splitLines(const QByteArray &contents)
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

bool readAll(const QString &path, qint64 maxBytes, QByteArray *contents, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    const QString tooLarge = QStringLiteral("the file is larger than %1 bytes").arg(maxBytes);
    if (file.size() > maxBytes)
        return fail(tooLarge);
    // Read one byte more than allowed: a device whose size() says nothing is still caught.
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (bytes.size() > maxBytes)
        return fail(tooLarge);
    *contents = bytes;
    return true;
}

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    // A device or a pipe (/dev/stdout, a full disk's stand-in /dev/full) is written in place: the
    // temporary file and rename would put a plain file where the device node was.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        QFile device(path);
        const bool written = device.open(QIODevice::WriteOnly) && device.write(bytes) == bytes.size()
            && device.flush();
        if (!written && error)
            *error = device.errorString();
        return written;
    }
    QSaveFile file(path);
    auto fail = [&file, error] {
        if (error)
            *error = file.errorString();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    // A small file stays in the write buffer until the end, and a commit that flushes it onto a
    // full disk may report success over a cut-off file: the flush is checked here first.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.size() != bytes.size()) {
        if (error) {
            // The system's reason when it gave one ("No space left on device").
            const QString reason = file.errorString();
            *error = QStringLiteral("not all of the file could be written");
            if (file.error() != QFileDevice::NoError && !reason.isEmpty() && reason != QLatin1String("Unknown error"))
                *error += QStringLiteral(": ") + reason;
        }
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return fail();
    return true;
}

} // namespace FileText
