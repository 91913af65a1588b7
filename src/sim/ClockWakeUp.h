#pragma once

#include <QtGlobal>

#include <functional>

class Clock;
class QObject;

/**
 * @brief The one wake-up a queue that waits for its next moment has pending on the process clock.
 *
 * A wake-up from before reset() never fires. Neither does one a test's swapped-out clock
 * promised: stillPending() forgets it, so the queue knows it must move on by itself.
 * generation() changes with every reset, so a queue that calls out (to a handler, a sink) can
 * tell that the callee reset it meanwhile.
 */
class ClockWakeUp
{
public:
    /// wake runs when a wake-up comes due, unless context has been destroyed first.
    ClockWakeUp(QObject *context, std::function<void()> wake);
    Q_DISABLE_COPY_MOVE(ClockWakeUp)

    /// Asks for wake at atUs (microseconds) on the process clock, at once (on the clock's next
    /// turn) if that is past.
    void scheduleAtUs(qint64 atUs);
    /// True while a wake-up is still to come; one promised by a clock that is no longer the
    /// process clock never will be, and is forgotten as by reset().
    bool stillPending();
    /// Forgets the pending wake-up.
    void reset();
    quint64 generation() const { return m_generation; }

private:
    QObject *m_context;
    std::function<void()> m_wake;
    quint64 m_generation = 0;
    bool m_pending = false;
    const Clock *m_clock = nullptr;
};
