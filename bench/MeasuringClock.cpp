#include "MeasuringClock.h"

#include <QElapsedTimer>

void MeasuringClock::pause(int ms)
{
    QElapsedTimer timer;
    timer.start();
    m_real.pause(ms);
    m_pausedNs += timer.nsecsElapsed();
    m_requestedMs += qMax(0, ms);
}
