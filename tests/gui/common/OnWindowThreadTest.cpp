#include "gui/common/OnWindowThread.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>
#include <memory>

namespace {

/// Calls made from the instrument's thread reach the window on its own thread, in order, and
/// never a window that is gone.
TEST(OnWindowThread, CallsFromAnotherThreadArriveInOrderOnTheWindowsThreadWhileTheWindowExists)
{
    auto window = std::make_unique<QWidget>();
    QList<int> heard;
    QList<QThread *> heardOn;
    auto report = onWindowThread(window.get(), std::function<void(int)>([&](int n) {
                                     heard << n;
                                     heardOn << QThread::currentThread();
                                 }));
    report(0); // on the windows' thread: at once
    EXPECT_EQ(heard, QList<int>{0});

    std::unique_ptr<QThread> work(QThread::create([&] {
        for (int n = 1; n <= 3; ++n)
            report(n);
        int asked = 0;
        runOnWindowThread([&] { asked = int(heard.size()); });
        // The blocking call was posted after the three, so they have all been made by now.
        EXPECT_EQ(asked, 4);
        runOnWindowThread([&] { window.reset(); });
        report(4); // the window has gone: never made
    }));
    work->start();
    while (!work->isFinished())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    EXPECT_EQ(heard, QList<int>({0, 1, 2, 3}));
    for (QThread *thread : heardOn)
        EXPECT_EQ(thread, QCoreApplication::instance()->thread());
}

} // namespace
