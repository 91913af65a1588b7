#include "sim/CalibrationLog.h"

#include <algorithm>

namespace {

QList<int> span(int first, int last)
{
    QList<int> ranges;
    for (int r = first; r <= last; ++r)
        ranges.append(r);
    return ranges;
}

} // namespace

CalibrationLog::CalibrationLog()
{
    // Fixed dates, so every run and every test sees the same history.
    QList<int> factory = span(1, 5) + span(11, 16) + span(21, 25) + span(31, 36) + span(41, 52);
    m_events.append({QDate(2023, 3, 14), factory});
    m_events.append({QDate(2024, 10, 2), span(21, 25) + span(31, 33)});
    m_events.append({QDate(2025, 9, 18), span(120, 131)});
}

void CalibrationLog::closeSession(const QDate &date)
{
    if (m_pending.isEmpty())
        return;
    QList<int> ranges(m_pending.begin(), m_pending.end());
    std::sort(ranges.begin(), ranges.end());
    m_pending.clear();
    m_events.append({date, ranges});
    while (m_events.size() > kMaxEvents)
        m_events.removeFirst();
}
