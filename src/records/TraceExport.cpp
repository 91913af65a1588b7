#include "records/TraceExport.h"

#include <QSaveFile>

namespace TraceExport {

Format formatFor(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? Format::Csv : Format::Text;
}

QByteArray render(const QList<TraceLine> &lines, Format format)
{
    QString text;
    if (format == Format::Csv) {
        text += TraceFormat::csvHeader() + QLatin1String(TraceFormat::kCsvLineEnd);
        for (const TraceLine &line : lines)
            text += TraceFormat::csvRow(line) + QLatin1String(TraceFormat::kCsvLineEnd);
    } else {
        for (const TraceLine &line : lines)
            text += TraceFormat::textLine(line) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

bool save(const QString &path, const QList<TraceLine> &lines, Format format, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(render(lines, format)) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace TraceExport
