#pragma once

#include "instrument/TraceRecord.h"

#include <QMutex>

#include <atomic>
#include <functional>
#include <map>

/**
 * @brief The listeners of the I/O trace: the command-line tool's printer and file, the
 * communication log window, the trace file of the windowed program, any number at once.
 *
 * One per process, as the clock is: a program talks to one instrument session, and every driver
 * traces into it, those made for a test on a transport of its own included.
 *
 * Exchanges run on the work thread while windows come and go on the window thread, so adding,
 * removing and publishing are safe from any thread; a listener is called on the thread of the
 * exchange and must hand the record on itself. isListened() is one atomic read: the driver asks it
 * before it makes a record at all.
 */
class TraceBus
{
public:
    using Listener = std::function<void(const TraceRecord &)>;

    /// Adds a listener; the number returned removes it again.
    int addListener(Listener listener);
    void removeListener(int id);

    bool isListened() const { return m_count.load(std::memory_order_relaxed) > 0; }
    void publish(const TraceRecord &record) const;

private:
    mutable QMutex m_mutex;
    std::map<int, Listener> m_listeners;
    int m_nextId = 1;
    std::atomic<int> m_count{0};
};

/// The process's trace.
TraceBus &traceBus();
