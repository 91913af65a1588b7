#include "session/OperationQueue.h"

#include <QCoreApplication>
#include <QTimer>

class OperationQueue::Control : public OperationControl
{
public:
    Control(OperationQueue &queue, Entry &entry) : m_queue(queue), m_entry(entry) {}

    // A window destroyed under its operation (its parent went) stops it as a close would.
    bool stopRequested() const override { return m_entry.stopRequested.load() || !m_entry.owner; }
    void reportProgress(int done, int total) override
    {
        m_queue.m_progress = {done, total};
        emit m_queue.progress(m_entry.owner, done, total);
    }
    void reportStatus(const QString &text) override { emit m_queue.statusReported(m_entry.owner, text); }

private:
    OperationQueue &m_queue;
    Entry &m_entry;
};

OperationQueue::OperationQueue(QObject *parent) : QObject(parent) {}

OperationQueue::~OperationQueue() = default;

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
    return m_running && m_running->ownerKey == owner ? m_progress : QPair<int, int>();
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
        m_progress = {};
        emit busyChanged(true);
        Control control(*this, *entry);
        entry->request.work(control);
        m_running.reset();
        // Work the owner submits while it hears the outcome waits for the event loop too.
        m_delivering = true;
        if (entry->owner && entry->request.done)
            entry->request.done();
        m_delivering = false;
        emit busyChanged(false);
        if (entry->owner)
            emit finished(entry->owner);
        // The next one starts from the event loop, so a window that closes on finished() is
        // gone (and its queued work dropped) before anything else runs.
        startNextSoon();
        return;
    }
}
