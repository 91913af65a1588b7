#include "session/OperationQueue.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>

class OperationQueue::Control : public OperationControl
{
public:
    Control(OperationQueue &queue, Entry &entry) : m_queue(queue), m_entry(entry) {}

    // A window destroyed under its operation (its parent went) stops it as a close would. (A
    // QPointer may be asked from another thread whether its object is gone.)
    bool stopRequested() const override { return m_entry.stopRequested.load() || !m_entry.owner; }
    // The signals name the owner by address; on the work's own thread they reach the windows as
    // queued events, which compare it and never follow it.
    void reportProgress(int done, int total) override
    {
        {
            QMutexLocker lock(&m_queue.m_progressLock);
            m_queue.m_progress = {done, total};
        }
        emit m_queue.progress(owner(), done, total);
    }
    void reportStatus(const QString &text) override { emit m_queue.statusReported(owner(), text); }

private:
    QObject *owner() const { return const_cast<QObject *>(m_entry.ownerKey); }

private:
    OperationQueue &m_queue;
    Entry &m_entry;
};

OperationQueue::OperationQueue(QObject *parent) : QObject(parent) {}

OperationQueue::~OperationQueue()
{
    stopWorkThread();
}

void OperationQueue::useWorkThread()
{
    if (m_thread)
        return;
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("instrument"));
    m_workContext = new QObject;
    m_workContext->moveToThread(m_thread);
    m_thread->start();
}

QThread *OperationQueue::workThread() const
{
    return m_thread ? m_thread : thread();
}

void OperationQueue::callOnWorkThread(const std::function<void()> &call)
{
    if (!m_thread || QThread::currentThread() == m_thread)
        call();
    else
        QMetaObject::invokeMethod(m_workContext, call, Qt::BlockingQueuedConnection);
}

void OperationQueue::stopWorkThread()
{
    if (!m_thread)
        return;
    // Work still running finishes on its thread; nothing is heard of it any more.
    close();
    m_thread->quit();
    m_thread->wait();
    delete m_workContext;
    m_workContext = nullptr;
    delete m_thread;
    m_thread = nullptr;
    m_running.reset();
}

bool OperationQueue::submit(QObject *owner, Request request)
{
    if (m_closed)
        return false;
    if (request.whenBusy == WhenBusy::Skip && (m_running || !m_waiting.isEmpty()))
        return false;
    auto entry = std::make_shared<Entry>();
    entry->owner = owner;
    entry->ownerKey = owner;
    entry->request = std::move(request);
    m_waiting.append(std::move(entry));
    // Started here only from outside every operation; inside one (an event it let through) the
    // new work waits until the event loop is back at the level it started from.
    if (!m_running && !m_delivering)
        runNext();
    else
        startNextSoon();
    return true;
}

bool OperationQueue::hasOperation(const QObject *owner) const
{
    if (m_running && m_running->ownerKey == owner)
        return true;
    for (const auto &entry : m_waiting)
        if (entry->ownerKey == owner)
            return true;
    return false;
}

bool OperationQueue::isWriting(const QObject *owner) const
{
    return m_running && m_running->ownerKey == owner && m_running->request.effect == Effect::Writes;
}

QString OperationQueue::runningName() const
{
    return m_running ? m_running->request.name : QString();
}

QString OperationQueue::runningUnit() const
{
    return m_running ? m_running->request.unit : QString();
}

QPair<int, int> OperationQueue::progressOf(const QObject *owner) const
{
    return m_running && m_running->ownerKey == owner ? runningProgress() : QPair<int, int>();
}

QPair<int, int> OperationQueue::runningProgress() const
{
    if (!m_running)
        return {};
    QMutexLocker lock(&m_progressLock);
    return m_progress;
}

void OperationQueue::stop(const QObject *owner)
{
    QList<std::shared_ptr<Entry>> dropped;
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if ((*it)->ownerKey == owner) {
            dropped.append(*it);
            it = m_waiting.erase(it);
        } else {
            ++it;
        }
    }
    if (m_running && m_running->ownerKey == owner)
        m_running->stopRequested = true;
    for (const auto &entry : dropped)
        if (entry->owner)
            emit finished(entry->owner);
}

void OperationQueue::close()
{
    m_closed = true;
    const QList<std::shared_ptr<Entry>> dropped = std::exchange(m_waiting, {});
    if (m_running)
        m_running->stopRequested = true;
    for (const auto &entry : dropped)
        if (entry->owner)
            emit finished(entry->owner);
}

void OperationQueue::waitUntilIdle()
{
    while (m_running || !m_waiting.isEmpty()) {
        if (!m_running)
            runNext();
        else
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void OperationQueue::startNextSoon()
{
    if (m_startScheduled || m_waiting.isEmpty())
        return;
    m_startScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_startScheduled = false;
        if (!m_running && !m_delivering)
            runNext();
    });
}

void OperationQueue::runNext()
{
    while (!m_running && !m_waiting.isEmpty()) {
        std::shared_ptr<Entry> entry = m_waiting.takeFirst();
        // A window that went away before its turn came sends nothing.
        if (!entry->owner)
            continue;
        m_running = entry;
        {
            QMutexLocker lock(&m_progressLock);
            m_progress = {};
        }
        emit busyChanged(true);
        emit started(entry->owner);
        if (!m_thread) {
            Control control(*this, *entry);
            entry->request.work(control);
            finishRunning();
            return;
        }
        // The work runs on the queue's thread and reports back here when it has returned.
        QMetaObject::invokeMethod(
            m_workContext,
            [this, entry] {
                Control control(*this, *entry);
                entry->request.work(control);
                QMetaObject::invokeMethod(this, &OperationQueue::finishRunning, Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
        return;
    }
}

void OperationQueue::finishRunning()
{
    const std::shared_ptr<Entry> entry = std::exchange(m_running, nullptr);
    if (!entry)
        return;
    // Work the owner submits while it hears the outcome waits for the event loop too.
    m_delivering = true;
    if (entry->owner && entry->request.done)
        entry->request.done();
    m_delivering = false;
    emit busyChanged(false);
    if (entry->owner)
        emit finished(entry->owner);
    // The next one starts from the event loop, so a window that closes on finished() is gone (and
    // its queued work dropped) before anything else runs.
    startNextSoon();
}
