#include "gui/common/WindowOperations.h"

#include "platform/Prompts.h"

#include <QTimer>
#include <QWidget>

WindowOperations::WindowOperations(QWidget &window, OperationQueue &queue, Prompts &prompts)
    : QObject(&window), m_window(window), m_queue(queue), m_prompts(prompts)
{
    connect(&m_queue, &OperationQueue::finished, this, &WindowOperations::operationFinished);
    connect(&m_queue, &OperationQueue::started, this, [this](QObject *owner) {
        if (owner == &m_window)
            emit started();
    });
}

QString WindowOperations::waitingText(const QString &running)
{
    return QStringLiteral("Waiting for \"%1\" to finish...").arg(running);
}

bool WindowOperations::run(OperationQueue::Request request)
{
    if (m_closeWhenFinished)
        return false; // the window is on its way out: it starts nothing new
    m_window.setCursor(Qt::BusyCursor);
    // Run at once when the instrument is idle; the window may be destroyed meanwhile.
    QPointer<WindowOperations> self(this);
    const bool accepted = m_queue.submit(&m_window, std::move(request));
    if (!self)
        return accepted;
    if (!m_queue.hasOperation(&m_window)) {
        m_window.unsetCursor();
        return accepted;
    }
    if (!m_busy) {
        m_busy = true;
        emit busyChanged(true);
    }
    if (!m_queue.isRunning(&m_window) && m_queue.isBusy())
        emit waiting(m_waitingText = waitingText(m_queue.runningName()));
    return accepted;
}

QString WindowOperations::stopQuestion(const QString &name, int done, int total, const QString &unit)
{
    QString text = QStringLiteral("Stop \"%1\"?").arg(name);
    if (total > 0 && !unit.isEmpty())
        text += QStringLiteral(" %1 of %2 %3 are not written yet.").arg(total - done).arg(total).arg(unit);
    text +=
        QStringLiteral("\n\nYes stops after the exchange in progress and leaves setup mode; what is not written stays "
                       "as it is in the window. No goes on writing.");
    return text;
}

bool WindowOperations::mayClose()
{
    if (!m_queue.hasOperation(&m_window))
        return true;
    if (m_closeWhenFinished)
        return false;
    if (m_queue.isWriting(&m_window)) {
        const auto [done, total] = m_queue.progressOf(&m_window);
        const QString name = m_queue.runningName();
        if (!m_prompts.confirm(stopQuestion(name, done, total, m_queue.runningUnit()), name))
            return false;
        // The answer took a while: the write may have ended meanwhile.
        if (!m_queue.hasOperation(&m_window))
            return true;
    }
    m_closeWhenFinished = true;
    m_queue.stop(&m_window);
    return false;
}

void WindowOperations::operationFinished(QObject *owner)
{
    if (owner != &m_window || m_queue.hasOperation(&m_window))
        return;
    m_window.unsetCursor();
    if (m_busy) {
        m_busy = false;
        emit busyChanged(false);
    }
    emit allFinished();
    if (m_closeWhenFinished) {
        // Out of the operation's own call chain first: the window may be deleted on close.
        QTimer::singleShot(0, &m_window, [this] {
            if (!m_closeWhenFinished)
                return; // asked for again meanwhile
            m_closeWhenFinished = false;
            m_window.close();
        });
    }
}
