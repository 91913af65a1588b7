#pragma once

#include <QDate>
#include <QList>
#include <QSet>

/**
 * @brief The calibration history the virtual calibrator keeps: one event per write session that
 * changed factors, with the date it ended and the ranges it changed.
 *
 * Ranges are gathered while a session is open (recordRange) and become an event when it closes
 * (closeSession); a session that changed nothing leaves no event. Like the instrument's own
 * store, the log holds a bounded number of events and forgets the oldest first.
 */
class CalibrationLog
{
public:
    struct Event
    {
        QDate date;
        QList<int> ranges; ///< ascending, each once
    };

    static constexpr int kMaxEvents = 64;

    /// A freshly made instrument: calibrated at the factory, with two later visits.
    CalibrationLog();

    void recordRange(int range) { m_pending.insert(range); }
    bool sessionChangedAnything() const { return !m_pending.isEmpty(); }
    /// Ends the session: an event dated `date` when any range was recorded.
    void closeSession(const QDate &date);

    /// Oldest first.
    const QList<Event> &events() const { return m_events; }
    void clear() { m_events.clear(); m_pending.clear(); }

private:
    QList<Event> m_events;
    QSet<int> m_pending;
};
