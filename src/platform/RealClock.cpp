#include "platform/RealClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QList>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// The event loop is left this long before a pause's end or a wake-up's moment; a sleep makes up
// the rest. A dispatcher that rounds its poll time-out up fires up to a millisecond late, so the
// margin is more than that; meanwhile the thread paints nothing for at most this long.
constexpr qint64 kSleepMarginUs = 1500;

/// Sleeps the thread until elapsed reads atNs; at once when that is past.
void sleepUntil(const QElapsedTimer &elapsed, qint64 atNs)
{
    const qint64 remainingNs = atNs - elapsed.nsecsElapsed();
    if (remainingNs > 0)
        std::this_thread::sleep_for(std::chrono::nanoseconds(remainingNs));
}

/// Whole milliseconds the event loop may run before a moment delayUs away, leaving the margin.
int loopMsBefore(qint64 delayUs)
{
    return int(qBound(qint64(0), (delayUs - kSleepMarginUs) / 1000, qint64(24 * 3600 * 1000)));
}

/// What one thread has going on with one clock: its nested waits, innermost last, and a wake
/// that came while none of them ran.
struct ThreadWaits
{
    QList<QEventLoop *> loops;
    bool pendingWake = false;
};

/// Kept per thread, so no lock is needed and a thread's state goes with it when it ends. An entry
/// is dropped once its thread neither waits nor holds a wake, so the table stays as small as
/// what is going on.
thread_local QHash<const RealClock *, ThreadWaits> t_waits;

} // namespace

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

qint64 RealClock::nowUs() const
{
    return m_elapsed.nsecsElapsed() / 1000;
}

void RealClock::pause(int ms)
{
    if (ms <= 0)
        return;
    const qint64 endNs = m_elapsed.nsecsElapsed() + qint64(ms) * 1000000;
    const int loopMs = loopMsBefore(qint64(ms) * 1000);
    if (QCoreApplication::instance() && loopMs > 0) {
        // Paint events and socket notifiers still run; mouse clicks and keys wait until the pause ends.
        QEventLoop loop;
        QTimer::singleShot(loopMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    sleepUntil(m_elapsed, endNs);
}

void RealClock::waitUntil(qint64 deadlineMs)
{
    const auto own = t_waits.find(this);
    if (own != t_waits.end() && own->pendingWake) {
        own->pendingWake = false;
        if (own->loops.isEmpty())
            t_waits.erase(own);
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
    t_waits[this].loops.append(&loop);
    loop.exec();
    // Looked up again: waits nested inside this one may have added and removed entries meanwhile.
    ThreadWaits &waits = t_waits[this];
    waits.loops.removeOne(&loop);
    waits.pendingWake = false;
    if (waits.loops.isEmpty())
        t_waits.remove(this);
}

void RealClock::wake()
{
    ThreadWaits &waits = t_waits[this];
    if (waits.loops.isEmpty())
        waits.pendingWake = true;
    else
        waits.loops.last()->quit();
}

void RealClock::schedule(int delayMs, QObject *context, std::function<void()> callback)
{
    QTimer::singleShot(qMax(0, delayMs), Qt::PreciseTimer, context, std::move(callback));
}

void RealClock::scheduleAtUs(qint64 atUs, QObject *context, std::function<void()> callback)
{
    const QElapsedTimer elapsed = m_elapsed;
    QTimer::singleShot(loopMsBefore(atUs - nowUs()), Qt::PreciseTimer, context,
                       [elapsed, atUs, callback = std::move(callback)] {
                           sleepUntil(elapsed, atUs * 1000);
                           callback();
                       });
}

namespace {
// Read from every thread that waits; atomic so a first use on two threads at once is no race.
std::atomic<Clock *> g_clock = nullptr;
} // namespace

Clock &systemClock()
{
    if (Clock *clock = g_clock.load())
        return *clock;
    static RealClock realClock;
    Clock *expected = nullptr;
    // A clock a test installed meanwhile is kept.
    g_clock.compare_exchange_strong(expected, &realClock);
    return *g_clock.load();
}

void setSystemClock(Clock *clock)
{
    g_clock = clock;
}
