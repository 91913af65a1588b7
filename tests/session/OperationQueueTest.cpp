#include "session/OperationQueue.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Effect = OperationQueue::Effect;
using WhenBusy = OperationQueue::WhenBusy;

/// Work that logs its start and end and, in between, lets events run as an exchange's wait does.
OperationQueue::Request loggedWork(QStringList &log, const QString &name, std::function<void()> duringWait = {},
                                   WhenBusy whenBusy = WhenBusy::WaitTurn)
{
    OperationQueue::Request request;
    request.name = name;
    request.whenBusy = whenBusy;
    request.work = [&log, name, duringWait](OperationControl &control) {
        log << name + " start";
        if (duringWait)
            QTimer::singleShot(0, duringWait);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        log << name + (control.stopRequested() ? " stopped" : " end");
    };
    request.done = [&log, name] { log << name + " heard"; };
    return request;
}

TEST(OperationQueue, WorkSubmittedDuringAnotherWaitsItsTurnAndNeverRunsInsideIt)
{
    OperationQueue queue;
    QObject first, second;
    QStringList log;
    bool secondAccepted = false;
    bool refreshAccepted = true;
    queue.submit(&first, loggedWork(log, "A", [&] {
        secondAccepted = queue.submit(&second, loggedWork(log, "B"));
        refreshAccepted = queue.submit(&second, loggedWork(log, "refresh", {}, WhenBusy::Skip));
    }));
    queue.waitUntilIdle();

    EXPECT_TRUE(secondAccepted);
    EXPECT_FALSE(refreshAccepted) << "an activation refresh is skipped while the instrument is busy";
    EXPECT_EQ(log, QStringList({"A start", "A end", "A heard", "B start", "B end", "B heard"}));
}

TEST(OperationQueue, AnOwnerThatIsGoneHearsNothingAndItsWaitingWorkIsNeverSent)
{
    OperationQueue queue;
    QObject other;
    auto owner = std::make_unique<QObject>();
    QObject *ownerAddress = owner.get();
    QStringList log;
    QList<QObject *> finished;
    QObject::connect(&queue, &OperationQueue::finished, [&](QObject *o) { finished << o; });
    queue.submit(owner.get(), loggedWork(log, "A", [&] {
                     queue.submit(owner.get(), loggedWork(log, "B"));
                     queue.submit(&other, loggedWork(log, "C"));
                     owner.reset(); // the window is deleted while its read waits
                 }));
    queue.waitUntilIdle();

    // The running work hears that its owner has gone as a stop request.
    EXPECT_EQ(log, QStringList({"A start", "A stopped", "C start", "C end", "C heard"}));
    EXPECT_FALSE(finished.contains(ownerAddress));
}

TEST(OperationQueue, StopReachesTheRunningWorkAndDropsTheOwnersWaitingWork)
{
    OperationQueue queue;
    QObject owner;
    QStringList log;
    int finishedForOwner = 0;
    QObject::connect(&queue, &OperationQueue::finished, [&](QObject *o) { finishedForOwner += o == &owner; });
    OperationQueue::Request write = loggedWork(log, "write", [&] {
        queue.submit(&owner, loggedWork(log, "later"));
        EXPECT_TRUE(queue.isWriting(&owner));
        queue.stop(&owner);
    });
    write.effect = Effect::Writes;
    queue.submit(&owner, std::move(write));
    queue.waitUntilIdle();

    EXPECT_EQ(log, QStringList({"write start", "write stopped", "write heard"}));
    EXPECT_EQ(finishedForOwner, 2) << "once for the dropped work, once for the stopped one";
    EXPECT_FALSE(queue.hasOperation(&owner));
}

TEST(OperationQueue, ResultsReachDoneAndProgressIsKeptForTheStopQuestion)
{
    OperationQueue queue;
    QObject owner;
    QPair<int, int> seenDuring;
    int result = 0;
    queue.submit(&owner,
                 OperationQueue::request<int>(
                     "count", Effect::Writes, WhenBusy::WaitTurn,
                     [&](OperationControl &control) {
                         control.reportProgress(3, 7);
                         seenDuring = queue.progressOf(&owner);
                         return 42;
                     },
                     [&](int value) { result = value; }));
    EXPECT_EQ(result, 42) << "with nothing running, the work runs at once";
    EXPECT_EQ(seenDuring, qMakePair(3, 7));
    EXPECT_EQ(queue.progressOf(&owner), qMakePair(0, 0));
}

TEST(OperationQueue, AClosedQueueTakesNoNewWork)
{
    OperationQueue queue;
    QObject owner;
    QStringList log;
    queue.close();
    EXPECT_FALSE(queue.submit(&owner, loggedWork(log, "A")));
    EXPECT_TRUE(log.isEmpty());
}

} // namespace

namespace {

/// Runs events on this thread until condition holds or a generous limit passes.
bool eventsUntil(const std::function<bool()> &condition)
{
    QDeadlineTimer limit(20000);
    while (!condition() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

/// Work on the queue's own thread that blocks until `release` is set, as an exchange waiting for
/// the instrument blocks its thread; it notes the thread it ran on.
OperationQueue::Request blockingWork(std::atomic<bool> &release, std::atomic<QThread *> &ranOn, QStringList &heard,
                                     const QString &name)
{
    OperationQueue::Request request;
    request.name = name;
    request.effect = Effect::Writes;
    request.work = [&release, &ranOn](OperationControl &control) {
        ranOn = QThread::currentThread();
        control.reportProgress(1, 4);
        QDeadlineTimer limit(20000);
        while (!release && !control.stopRequested() && !limit.hasExpired())
            QThread::yieldCurrentThread();
    };
    request.done = [&heard, name] { heard << name + " heard on " + QThread::currentThread()->objectName(); };
    return request;
}

// With its own thread, the queue runs the work there while the submitting thread goes on
// handling events (here, the very event that lets the work finish), and the outcome, progress and
// the end are heard back on the submitting thread; work submitted meanwhile waits its turn.
TEST(OperationQueueOnItsThread, TheSubmittingThreadNeverWaitsAndHearsEverythingOnItsOwnThread)
{
    QThread::currentThread()->setObjectName(QStringLiteral("windows"));
    OperationQueue queue;
    queue.useWorkThread();
    QObject owner, other;
    std::atomic<bool> releaseFirst{false}, releaseSecond{true};
    std::atomic<QThread *> firstRanOn{nullptr}, secondRanOn{nullptr};
    QStringList heard;
    QList<QThread *> progressHeardOn;
    QObject::connect(&queue, &OperationQueue::progress, &owner,
                     [&](QObject *, int, int) { progressHeardOn << QThread::currentThread(); });
    QList<QObject *> finished;
    QObject::connect(&queue, &OperationQueue::finished, &owner, [&](QObject *o) { finished << o; });

    EXPECT_TRUE(queue.submit(&owner, blockingWork(releaseFirst, firstRanOn, heard, "first")));
    EXPECT_TRUE(queue.isWriting(&owner)) << "submit returns while the work runs";
    EXPECT_TRUE(queue.submit(&other, blockingWork(releaseSecond, secondRanOn, heard, "second")));
    ASSERT_TRUE(eventsUntil([&] { return queue.progressOf(&owner) == qMakePair(1, 4); }));
    EXPECT_EQ(secondRanOn.load(), nullptr) << "the second waits while the first runs";
    QTimer::singleShot(0, &owner, [&] { releaseFirst = true; }); // an event only this thread handles
    ASSERT_TRUE(eventsUntil([&] { return !queue.hasWork(); }));

    EXPECT_EQ(firstRanOn.load(), queue.workThread());
    EXPECT_EQ(secondRanOn.load(), queue.workThread());
    EXPECT_NE(queue.workThread(), QThread::currentThread());
    EXPECT_EQ(heard, QStringList({"first heard on windows", "second heard on windows"}));
    EXPECT_EQ(progressHeardOn, QList<QThread *>({QThread::currentThread(), QThread::currentThread()}));
    EXPECT_EQ(finished, QList<QObject *>({&owner, &other}));
}

// A stop from the windows' thread reaches the work between its exchanges, and so does the owner's
// going away; a window that has gone hears nothing.
TEST(OperationQueueOnItsThread, StopsAndAnOwnerGoneReachTheWorkOnItsThread)
{
    OperationQueue queue;
    queue.useWorkThread();
    for (const bool deleteOwner : {false, true}) {
        auto owner = std::make_unique<QObject>();
        std::atomic<bool> never{false};
        std::atomic<QThread *> ranOn{nullptr};
        QStringList heard;
        queue.submit(owner.get(), blockingWork(never, ranOn, heard, "write"));
        ASSERT_TRUE(eventsUntil([&] { return ranOn.load() != nullptr; }));
        if (deleteOwner)
            owner.reset();
        else
            queue.stop(owner.get());
        ASSERT_TRUE(eventsUntil([&] { return !queue.hasWork(); })) << "the work never saw the stop";
        EXPECT_EQ(heard.size(), deleteOwner ? 0 : 1);
    }
}

} // namespace
