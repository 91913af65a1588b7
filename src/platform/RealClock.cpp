#include "platform/RealClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QThread>

RealClock::RealClock()
{
    m_elapsed.start();
}

RealClock::~RealClock() = default;

qint64 RealClock::nowMs() const
{
    return m_elapsed.elapsed();
}

QDateTime RealClock::currentDateTime() const
{
    return QDateTime::currentDateTime();
}

void RealClock::pause(int ms)
{
    if (ms <= 0)
        return;
    if (!QCoreApplication::instance()) {
        QThread::msleep(ms);
        return;
    }
    // Paint events and socket notifiers still run; mouse clicks and keys wait until the pause ends.
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void RealClock::waitUntil(qint64 deadlineMs)
{
    if (m_pendingWake) {
        m_pendingWake = false;
        QCoreApplication::processEvents();
        return;
    }
    const qint64 remaining = deadlineMs - nowMs();
    if (remaining <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(int(qMin<qint64>(remaining, 24 * 3600 * 1000)));
    m_waits.append(&loop);
    loop.exec();
    m_waits.removeOne(&loop);
    m_pendingWake = false;
}

void RealClock::wake()
{
    if (m_waits.isEmpty())
        m_pendingWake = true;
    else
        m_waits.last()->quit();
}

void RealClock::schedule(int delayMs, QObject *context, std::function<void()> callback)
{
    QTimer::singleShot(qMax(0, delayMs), Qt::PreciseTimer, context, std::move(callback));
}

namespace {
Clock *g_clock = nullptr;
}

Clock &systemClock()
{
    if (!g_clock) {
        static RealClock realClock;
        g_clock = &realClock;
    }
    return *g_clock;
}

void setSystemClock(Clock *clock)
{
    g_clock = clock;
}
