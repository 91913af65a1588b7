#pragma once

#include "platform/Clock.h"

#include <QElapsedTimer>

/**
 * @brief The computer's own clock: waits run a nested event loop that a data arrival ends.
 *
 * Waits belong to the thread that makes them: wake() ends the innermost wait of the calling
 * thread, or is kept for that thread's next wait, so an instrument exchange waiting on a worker
 * thread and one waiting on the GUI thread never end each other.
 *
 * Fixed pauses and wake-ups at a set microsecond keep their time: an event loop's timer may
 * come a millisecond late (some dispatchers round their poll time-out up to whole milliseconds),
 * which over the hundreds of pauses of a table read adds up to a visible share of it. So the
 * event loop runs until shortly before the moment, and a short sleep of the thread makes up the
 * rest.
 */
class RealClock : public Clock
{
public:
    RealClock();
    ~RealClock() override;

    qint64 nowMs() const override;
    QDateTime currentDateTime() const override;
    void pause(int ms) override;
    void waitUntil(qint64 deadlineMs) override;
    void wake() override;
    void schedule(int delayMs, QObject *context, std::function<void()> callback) override;
    qint64 nowUs() const override;
    void scheduleAtUs(qint64 atUs, QObject *context, std::function<void()> callback) override;

private:
    QElapsedTimer m_elapsed;
};
