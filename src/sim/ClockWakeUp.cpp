#include "sim/ClockWakeUp.h"

#include "platform/Clock.h"

ClockWakeUp::ClockWakeUp(QObject *context, std::function<void()> wake) : m_context(context), m_wake(std::move(wake)) {}

void ClockWakeUp::scheduleAtUs(qint64 atUs)
{
    Clock &clock = systemClock();
    const quint64 generation = m_generation;
    m_pending = true;
    m_clock = &clock;
    clock.scheduleAtUs(atUs, m_context, [this, generation] {
        if (generation != m_generation)
            return;
        m_pending = false;
        m_wake();
    });
}

bool ClockWakeUp::stillPending()
{
    if (m_pending && m_clock != &systemClock())
        reset();
    return m_pending;
}

void ClockWakeUp::reset()
{
    ++m_generation;
    m_pending = false;
}
