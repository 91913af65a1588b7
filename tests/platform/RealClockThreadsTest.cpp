// Waits of the real clock on two threads at once: each thread's wake() ends only its own wait.
#include "platform/RealClock.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Far beyond the test's own limits, so a wait that ends did so because it was woken.
constexpr qint64 kWaitMs = 120000;
constexpr int kLimitMs = 20000;

bool waitFor(const std::function<bool()> &condition)
{
    QDeadlineTimer deadline(kLimitMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}

/// A thread of its own that waits on the clock when told, and wakes it from that same thread.
class WaitingThread
{
public:
    enum State {
        Idle,
        Waiting,
        InLoop,
        Returned
    };

    explicit WaitingThread(RealClock &clock) : m_clock(clock)
    {
        m_context->moveToThread(&m_thread);
        m_thread.start();
    }
    ~WaitingThread()
    {
        m_thread.quit();
        m_thread.wait();
    }

    /// Starts a wait on this thread; `into` says InLoop once the wait's nested loop runs. Posted
    /// while a wait runs, it starts a wait inside that one.
    void startWait(std::atomic<int> &into)
    {
        into = Waiting;
        QMetaObject::invokeMethod(m_context.get(), [this, &into] {
            // Runs inside the wait's loop, so InLoop means the wait is really under way.
            QTimer::singleShot(0, m_context.get(), [&into] { into.store(InLoop); });
            m_clock.waitUntil(m_clock.nowMs() + kWaitMs);
            into = Returned;
        });
    }
    void startWait() { startWait(state); }

    void wakeFromOwnThread()
    {
        m_wakes.fetch_add(1);
        QMetaObject::invokeMethod(m_context.get(), [this] {
            m_clock.wake();
            m_wakes.fetch_sub(1);
        });
    }

    bool wakeDelivered() const { return m_wakes.load() == 0; }

    std::atomic<int> state{Idle};

private:
    RealClock &m_clock;
    QThread m_thread;
    std::unique_ptr<QObject> m_context = std::make_unique<QObject>();
    std::atomic<int> m_wakes{0};
};

TEST(RealClockThreadsTest, EachThreadsWakeEndsOnlyItsOwnWait)
{
    RealClock clock;
    WaitingThread first(clock);
    WaitingThread second(clock);

    first.startWait();
    ASSERT_TRUE(waitFor([&] { return first.state == WaitingThread::InLoop; }));
    // The second wait starts last, so a wait list shared by both threads would have it innermost.
    second.startWait();
    ASSERT_TRUE(waitFor([&] { return second.state == WaitingThread::InLoop; }));

    first.wakeFromOwnThread();
    ASSERT_TRUE(waitFor([&] { return first.state == WaitingThread::Returned; }))
        << "the first thread's wake ends the first thread's wait";
    EXPECT_EQ(second.state, WaitingThread::InLoop) << "and leaves the other thread's wait alone";

    second.wakeFromOwnThread();
    EXPECT_TRUE(waitFor([&] { return second.state == WaitingThread::Returned; }));
}

TEST(RealClockThreadsTest, AWakeWithNobodyWaitingIsKeptForTheSameThread)
{
    RealClock clock;
    WaitingThread early(clock);
    WaitingThread other(clock);

    // Data that arrives before its thread waits still ends that thread's next wait at once...
    early.wakeFromOwnThread();
    ASSERT_TRUE(waitFor([&] { return early.wakeDelivered(); }));
    // ...but not the next wait of another thread.
    other.startWait();
    ASSERT_TRUE(waitFor([&] { return other.state == WaitingThread::InLoop; }))
        << "another thread's early wake must not end this wait";

    early.startWait();
    EXPECT_TRUE(waitFor([&] { return early.state == WaitingThread::Returned; }));
    EXPECT_EQ(other.state, WaitingThread::InLoop);

    other.wakeFromOwnThread();
    EXPECT_TRUE(waitFor([&] { return other.state == WaitingThread::Returned; }));
}

TEST(RealClockThreadsTest, NestedWaitsOnOneThreadEndInnermostFirst)
{
    RealClock clock;
    WaitingThread thread(clock);
    WaitingThread bystander(clock);
    bystander.startWait();
    ASSERT_TRUE(waitFor([&] { return bystander.state == WaitingThread::InLoop; }));

    // An event handled during a wait starts a second wait on the same thread, as a window's event
    // can while an exchange waits.
    thread.startWait();
    ASSERT_TRUE(waitFor([&] { return thread.state == WaitingThread::InLoop; }));
    std::atomic<int> inner{WaitingThread::Idle};
    thread.startWait(inner);
    ASSERT_TRUE(waitFor([&] { return inner == WaitingThread::InLoop; }));

    thread.wakeFromOwnThread();
    ASSERT_TRUE(waitFor([&] { return inner == WaitingThread::Returned; }));
    EXPECT_EQ(thread.state, WaitingThread::InLoop) << "the outer wait goes on";

    thread.wakeFromOwnThread();
    ASSERT_TRUE(waitFor([&] { return thread.state == WaitingThread::Returned; }));
    EXPECT_EQ(bystander.state, WaitingThread::InLoop);
    bystander.wakeFromOwnThread();
    EXPECT_TRUE(waitFor([&] { return bystander.state == WaitingThread::Returned; }));
}

} // namespace
