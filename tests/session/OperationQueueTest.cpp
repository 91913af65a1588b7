#include "session/OperationQueue.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>

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
