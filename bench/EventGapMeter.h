#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

/**
 * @brief The longest time the thread's event loop went without handling an event, while the
 * meter runs: a timer asks to be handled every millisecond, and the widest gap between two of
 * its ticks is how long a click or a repaint would have waited.
 */
class EventGapMeter : public QObject
{
public:
    EventGapMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    }

    void start()
    {
        m_longestMs = 0;
        m_since.start();
        m_timer.start();
    }
    void stop()
    {
        tick();
        m_timer.stop();
    }
    double longestMs() const { return m_longestMs; }

private:
    void tick()
    {
        const double gap = double(m_since.nsecsElapsed()) / 1e6;
        m_since.start();
        if (gap > m_longestMs)
            m_longestMs = gap;
    }

    QTimer m_timer;
    QElapsedTimer m_since;
    double m_longestMs = 0;
};
