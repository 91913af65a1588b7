#pragma once

#include "session/OperationControl.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

/**
 * @brief The instrument's one line of work: every window's instrument work is an operation
 * submitted here, and operations run one at a time, in the order they were submitted.
 *
 * Each operation belongs to an owner (the window that asked). The owner hears the outcome only
 * while it exists: an operation holds no pointer to a widget, and a window that has gone simply
 * does not hear back. A window asked to close while its operation runs asks the queue to stop
 * it and closes when finished() names it; the window is never destroyed under its operation.
 *
 * An operation waits its turn while another runs (a button pressed in another window), or is
 * skipped when the instrument is busy (the refresh a window makes each time it becomes active).
 * An operation never starts inside another one: a submission made while one runs, from any
 * event the running one lets through, is queued and started from the event loop after it.
 */
class OperationQueue : public QObject
{
    Q_OBJECT
public:
    /// Whether the operation changes what the instrument holds; closing a window stops such an
    /// operation only after asking.
    enum class Effect {
        Reads,
        Writes
    };
    /// What happens to a submission while another operation runs.
    enum class WhenBusy {
        WaitTurn,
        Skip
    };

    struct Request
    {
        QString name;
        Effect effect = Effect::Reads;
        WhenBusy whenBusy = WhenBusy::WaitTurn;
        /// What its progress counts ("ranges", "rows"), for the question asked before stopping it.
        QString unit;
        std::function<void(OperationControl &)> work;
        /// Called after work, on the owner's thread, only if the owner still exists.
        std::function<void()> done;
    };

    explicit OperationQueue(QObject *parent = nullptr);
    ~OperationQueue() override;

    /// From now on, runs each operation's work on a thread of the queue's own, so the thread that
    /// submits (the windows' thread) never waits on the instrument: it goes on handling events
    /// and hears done, finished(), progress() and statusReported() as queued events. Without
    /// it, work runs on the submitting thread (the command-line tool, most tests). Call it while
    /// nothing runs.
    void useWorkThread();
    /// The thread the work runs on: the queue's own once useWorkThread() was called, otherwise
    /// the submitting thread.
    QThread *workThread() const;
    /// Runs call on the work's thread and returns when it has returned; the calling thread waits
    /// without handling events. Only for moving things onto that thread and off it again while no
    /// operation runs (a running one is waited for first).
    void callOnWorkThread(const std::function<void()> &call);
    /// Closes the queue (as close()) and stops the work's thread once the running work has
    /// returned. For the end of the program.
    void stopWorkThread();

    /// Queues the operation for owner. False when it was skipped (busy, or the queue is closed).
    /// When nothing runs, the operation starts at once.
    bool submit(QObject *owner, Request request);

    /// A request for work that gives a result, delivered to done.
    template <class Result>
    static Request request(QString name, Effect effect, WhenBusy whenBusy,
                           std::function<Result(OperationControl &)> work, std::function<void(Result)> done)
    {
        auto result = std::make_shared<std::optional<Result>>();
        Request request;
        request.name = std::move(name);
        request.effect = effect;
        request.whenBusy = whenBusy;
        request.work = [result, work = std::move(work)](OperationControl &control) { *result = work(control); };
        request.done = [result, done = std::move(done)] {
            if (*result)
                done(std::move(**result));
        };
        return request;
    }

    bool isBusy() const { return m_running != nullptr; }
    /// Something runs or waits.
    bool hasWork() const { return m_running || !m_waiting.isEmpty(); }
    /// The running operation changes the instrument (whoever owns it).
    bool runningWrites() const { return m_running && m_running->request.effect == Effect::Writes; }
    /// The owner has an operation running or waiting.
    bool hasOperation(const QObject *owner) const;
    /// The owner's running operation changes the instrument.
    bool isWriting(const QObject *owner) const;
    /// The owner's operation is the one running (not one waiting its turn).
    bool isRunning(const QObject *owner) const { return m_running && m_running->ownerKey == owner; }
    /// The name of the operation running, empty when none.
    QString runningName() const;
    /// What the running operation's progress counts.
    QString runningUnit() const;
    /// The owner's last reported progress: {done, total}, {0, 0} before any.
    QPair<int, int> progressOf(const QObject *owner) const;
    /// The running operation's last reported progress, whoever owns it.
    QPair<int, int> runningProgress() const;

    /// Drops the owner's waiting operations and asks its running one to stop at the next
    /// exchange boundary. The owner still hears finished(owner) when it ends.
    void stop(const QObject *owner);
    /// Refuses new work from now on and stops every operation (the program is ending). Work
    /// already running still finishes, and finished() is still emitted for it.
    void close();
    /// Takes new work again after close() (the end of the program was called off).
    void reopen() { m_closed = false; }

    /// Runs events until nothing runs or waits (the program's end, tests).
    void waitUntilIdle();

signals:
    void busyChanged(bool busy);
    /// An operation of owner has its turn now.
    void started(QObject *owner);
    /// An operation of owner has ended (its done, if it was heard, has run).
    void finished(QObject *owner);
    /// Progress of the running operation.
    void progress(QObject *owner, int done, int total);
    /// What the running operation says it is doing.
    void statusReported(QObject *owner, const QString &text);

private:
    struct Entry
    {
        QPointer<QObject> owner;
        const QObject *ownerKey = nullptr;
        Request request;
        std::atomic<bool> stopRequested{false};
    };
    class Control;

    void startNextSoon();
    void runNext();
    /// After the running work has returned (on the submitting thread): done, finished(), next.
    void finishRunning();

    QList<std::shared_ptr<Entry>> m_waiting;
    std::shared_ptr<Entry> m_running;
    // Written by the work's thread, read by the windows' thread.
    mutable QMutex m_progressLock;
    QPair<int, int> m_progress;
    QThread *m_thread = nullptr;
    QObject *m_workContext = nullptr; ///< lives on m_thread; work is posted to it
    bool m_delivering = false;
    bool m_closed = false;
    bool m_startScheduled = false;
};
