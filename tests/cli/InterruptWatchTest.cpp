#include "cli/InterruptWatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>

namespace {

std::atomic<int> g_earlierHandlerCalls{0};

// The handler only notes the signal; the action runs later, on the event loop, and the handler
// that was there before comes back with the watch's end.
TEST(InterruptWatch, TheActionRunsOnTheEventLoopAndTheEarlierHandlerComesBack)
{
    struct sigaction earlier = {};
    struct sigaction counting = {};
    counting.sa_handler = [](int) { ++g_earlierHandlerCalls; };
    sigemptyset(&counting.sa_mask);
    ASSERT_EQ(sigaction(SIGHUP, &counting, &earlier), 0);

    QList<int> seen;
    {
        InterruptWatch watch([&seen](int signal) { seen << signal; });
        ASSERT_TRUE(watch.isActive());
        InterruptWatch second([](int) {});
        EXPECT_FALSE(second.isActive()) << "one watch at a time: the signals have one pipe";

        std::raise(SIGHUP);
        EXPECT_TRUE(seen.isEmpty()) << "nothing but a byte on the pipe happens inside the handler";
        QElapsedTimer waited;
        waited.start();
        while (seen.isEmpty() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(seen, QList<int>{SIGHUP});
        EXPECT_EQ(g_earlierHandlerCalls, 0);
    }
    std::raise(SIGHUP);
    EXPECT_EQ(g_earlierHandlerCalls, 1);
    sigaction(SIGHUP, &earlier, nullptr);
}

} // namespace
