#include "records/TraceLog.h"

#include <QMutexLocker>

TraceLog::TraceLog(int capacity, QObject *parent) : QAbstractTableModel(parent), m_capacity(qMax(1, capacity))
{
    m_flushTimer.setInterval(kFlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &TraceLog::flush);
    m_flushTimer.start();
}

int TraceLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int TraceLog::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TraceLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TraceLine &l = line(index.row());
    if (role == FailedRole)
        return l.failed;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case TimeColumn:
        return TraceFormat::timeOfDay(l.time);
    case DurationColumn:
        return l.durationMs < 0 ? QVariant() : QVariant(l.durationMs);
    case InterfaceColumn:
        return l.interface;
    case DirectionColumn:
        return l.direction;
    case TextColumn:
        return l.text;
    case OutcomeColumn:
        return l.outcome;
    default:
        return {};
    }
}

QVariant TraceLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const names[] = {"Time", "ms", "Interface", "Direction", "Text", "Outcome"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}

void TraceLog::append(const QList<TraceLine> &lines)
{
    QMutexLocker lock(&m_queueMutex);
    m_queue += lines;
    // A long pause must not hold more than the table ever could.
    if (m_queue.size() > m_capacity)
        m_queue.remove(0, m_queue.size() - m_capacity);
}

void TraceLog::flush()
{
    if (m_paused)
        return;
    QList<TraceLine> batch;
    {
        QMutexLocker lock(&m_queueMutex);
        batch.swap(m_queue);
    }
    if (batch.isEmpty())
        return;
    const int overflow = int(m_lines.size()) + int(batch.size()) - m_capacity;
    if (overflow > 0)
        dropOldest(qMin(overflow, int(m_lines.size())));
    const int first = int(m_lines.size());
    beginInsertRows({}, first, first + int(batch.size()) - 1);
    m_lines.insert(m_lines.end(), batch.cbegin(), batch.cend());
    endInsertRows();
}

void TraceLog::dropOldest(int count)
{
    if (count <= 0)
        return;
    beginRemoveRows({}, 0, count - 1);
    m_lines.erase(m_lines.begin(), m_lines.begin() + count);
    endRemoveRows();
}

void TraceLog::setPaused(bool paused)
{
    m_paused = paused;
    if (!paused)
        flush();
}

void TraceLog::clear()
{
    {
        QMutexLocker lock(&m_queueMutex);
        m_queue.clear();
    }
    beginResetModel();
    m_lines.clear();
    endResetModel();
}

void TraceLog::setCapacity(int capacity)
{
    m_capacity = qMax(1, capacity);
    if (int(m_lines.size()) > m_capacity)
        dropOldest(int(m_lines.size()) - m_capacity);
}

QList<TraceLine> TraceLog::lines(const QList<int> &rows) const
{
    QList<TraceLine> out;
    out.reserve(rows.size());
    for (int row : rows) {
        if (row >= 0 && row < rowCount())
            out << line(row);
    }
    return out;
}

QList<TraceLine> TraceLog::allLines() const
{
    return QList<TraceLine>(m_lines.cbegin(), m_lines.cend());
}
