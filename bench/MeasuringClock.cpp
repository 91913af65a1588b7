#include "MeasuringClock.h"

#include "ExchangeTimeline.h"

#include <QElapsedTimer>

void MeasuringClock::pause(int ms)
{
    if (m_timeline)
        m_timeline->pauseStarted(ms);
    QElapsedTimer timer;
    timer.start();
    m_real.pause(ms);
    m_pausedNs += timer.nsecsElapsed();
    m_requestedMs += qMax(0, ms);
    if (m_timeline)
        m_timeline->pauseEnded();
}

void MeasuringClock::noteSent()
{
    m_real.noteSent();
    if (m_timeline)
        m_timeline->commandSent();
}
