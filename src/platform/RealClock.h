#pragma once

#include "platform/Clock.h"

#include <QElapsedTimer>

/**
 * @brief The computer's own clock: waits run a nested event loop that a data arrival ends.
 *
 * Waits belong to the thread that makes them: wake() ends the innermost wait of the calling
 * thread, or is kept for that thread's next wait, so an instrument exchange waiting on a worker
 * thread and one waiting on the GUI thread never end each other.
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

private:
    QElapsedTimer m_elapsed;
};
