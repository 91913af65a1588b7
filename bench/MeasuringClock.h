#pragma once

#include "platform/RealClock.h"

class ExchangeTimeline;

/**
 * @brief The real clock, counting the time spent in fixed pauses.
 *
 * The pauses between commands are what the protocol asks of the host, not time the program
 * loses; an exchange's latency is its elapsed time less the pauses it made.
 */
class MeasuringClock : public Clock
{
public:
    qint64 nowMs() const override { return m_real.nowMs(); }
    QDateTime currentDateTime() const override { return m_real.currentDateTime(); }
    void pause(int ms) override;
    void waitUntil(qint64 deadlineMs) override { m_real.waitUntil(deadlineMs); }
    void wake() override { m_real.wake(); }
    void noteSent() override;
    void schedule(int delayMs, QObject *context, std::function<void()> callback) override
    {
        m_real.schedule(delayMs, context, std::move(callback));
    }
    qint64 nowUs() const override { return m_real.nowUs(); }
    void scheduleAtUs(qint64 atUs, QObject *context, std::function<void()> callback) override
    {
        m_real.scheduleAtUs(atUs, context, std::move(callback));
    }

    /// Time spent in pause() since the last reset, in milliseconds, as measured.
    double pausedMs() const { return double(m_pausedNs) / 1e6; }
    /// Time the pauses asked for since the last reset.
    qint64 requestedPauseMs() const { return m_requestedMs; }
    /// Notes every pause and command in timeline (none: nullptr).
    void setTimeline(ExchangeTimeline *timeline) { m_timeline = timeline; }
    void resetPauses()
    {
        m_pausedNs = 0;
        m_requestedMs = 0;
    }

private:
    RealClock m_real;
    qint64 m_pausedNs = 0;
    qint64 m_requestedMs = 0;
    ExchangeTimeline *m_timeline = nullptr;
};

/// Installs a MeasuringClock as the process clock for its lifetime.
class ScopedMeasuringClock
{
public:
    ScopedMeasuringClock() { setSystemClock(&clock); }
    ~ScopedMeasuringClock() { setSystemClock(nullptr); }
    MeasuringClock clock;
};
