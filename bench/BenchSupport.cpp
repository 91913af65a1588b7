#include "BenchSupport.h"

#include <QFile>

namespace {
double statusFieldMb(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            // "VmHWM:    12345 kB"
            return line.mid(field.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return 0;
}
} // namespace

double currentRssMb()
{
    return statusFieldMb("VmRSS:");
}

double peakRssMb()
{
    return statusFieldMb("VmHWM:");
}
