#pragma once

#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QList>
#include <QPointer>

class QEventLoop;

/**
 * @brief The computer's own clock: waits run a nested event loop that a data arrival ends.
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
    QList<QEventLoop *> m_waits;
    bool m_pendingWake = false;
};
