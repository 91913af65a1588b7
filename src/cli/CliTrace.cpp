#include "cli/CliTrace.h"

#include "instrument/TraceBus.h"
#include "platform/TraceLine.h"

#include <QTextStream>

CliTrace::CliTrace(TraceBus &bus, bool toErr, QTextStream &err) : m_bus(bus), m_toErr(toErr), m_err(err)
{
    if (m_toErr)
        listen();
}

CliTrace::~CliTrace()
{
    if (m_listener)
        m_bus.removeListener(m_listener);
    m_err.flush();
}

bool CliTrace::openFile(const QString &path, QString *error)
{
    m_file.setFileName(path);
    const QByteArray header = (TraceFormat::csvHeader() + QLatin1String(TraceFormat::kCsvLineEnd)).toUtf8();
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate) || m_file.write(header) != header.size()) {
        *error = QStringLiteral("cannot write the trace file %1: %2").arg(path, m_file.errorString());
        m_file.close();
        return false;
    }
    listen();
    return true;
}

void CliTrace::listen()
{
    if (m_listener)
        return;
    m_listener = m_bus.addListener([this](const TraceRecord &record) {
        const QList<TraceLine> lines = record.lines();
        for (const TraceLine &line : lines) {
            if (m_toErr)
                m_err << TraceFormat::textLine(line) << Qt::endl;
            if (m_file.isOpen()) {
                m_file.write((TraceFormat::csvRow(line) + QLatin1String(TraceFormat::kCsvLineEnd)).toUtf8());
                // A run that ends in a crash or a kill still leaves what it traced.
                m_file.flush();
            }
        }
    });
}
