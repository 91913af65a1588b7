#include "records/TraceFile.h"

#include <QDir>

TraceFile::TraceFile(const QString &folder, int keptFiles) : m_folder(folder), m_keptFiles(qMax(1, keptFiles)) {}

QString TraceFile::currentPath() const
{
    return QDir(m_folder).filePath(kBaseName + QStringLiteral(".log"));
}

QString TraceFile::earlierPath(int n) const
{
    return QDir(m_folder).filePath(QStringLiteral("%1.%2.log").arg(kBaseName).arg(n));
}

void TraceFile::rotate()
{
    // Oldest first, so no rename lands on a file still to be moved.
    QFile::remove(earlierPath(m_keptFiles - 1));
    for (int n = m_keptFiles - 2; n >= 1; --n) {
        if (QFile::exists(earlierPath(n)))
            QFile::rename(earlierPath(n), earlierPath(n + 1));
    }
    if (m_keptFiles > 1 && QFile::exists(currentPath()))
        QFile::rename(currentPath(), earlierPath(1));
    else
        QFile::remove(currentPath());
}

bool TraceFile::open(QString *error)
{
    QMutexLocker lock(&m_mutex);
    m_file.close();
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error = QStringLiteral("cannot make the folder %1").arg(m_folder);
        return false;
    }
    rotate();
    m_file.setFileName(currentPath());
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(currentPath(), m_file.errorString());
        return false;
    }
    return true;
}

void TraceFile::close()
{
    QMutexLocker lock(&m_mutex);
    m_file.close();
}

void TraceFile::write(const QList<TraceLine> &lines)
{
    QMutexLocker lock(&m_mutex);
    if (!m_file.isOpen())
        return;
    QByteArray bytes;
    for (const TraceLine &line : lines)
        bytes += TraceFormat::textLine(line).toUtf8() + '\n';
    m_file.write(bytes);
    m_file.flush();
}
