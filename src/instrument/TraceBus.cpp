#include "instrument/TraceBus.h"

int TraceBus::addListener(Listener listener)
{
    QMutexLocker lock(&m_mutex);
    const int id = m_nextId++;
    m_listeners.emplace(id, std::move(listener));
    m_count.store(int(m_listeners.size()));
    return id;
}

void TraceBus::removeListener(int id)
{
    QMutexLocker lock(&m_mutex);
    m_listeners.erase(id);
    m_count.store(int(m_listeners.size()));
}

void TraceBus::publish(const TraceRecord &record) const
{
    // The lock is held through the calls so a listener removed on another thread is never called
    // after removeListener returned (its owner may be gone by then).
    QMutexLocker lock(&m_mutex);
    for (const auto &[id, listener] : m_listeners)
        listener(record);
}

TraceBus &traceBus()
{
    static TraceBus bus;
    return bus;
}
