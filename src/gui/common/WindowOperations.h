#pragma once

#include "session/OperationQueue.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

class Prompts;

/**
 * @brief A window's side of the operation queue: it submits the window's instrument work, shows
 * the busy pointer over the window while that work runs, and keeps the window alive until it
 * has ended.
 *
 * The window's closeEvent asks mayClose(). While the window's operation runs, a close is put off:
 * an operation that writes asks first whether to stop ("No" keeps it writing and the window
 * open), then the operation is asked to stop at its next exchange boundary and the window closes
 * itself when the operation has finished.
 */
class WindowOperations : public QObject
{
    Q_OBJECT
public:
    WindowOperations(QWidget &window, OperationQueue &queue, Prompts &prompts);

    /// Submits work for the window. False when it was skipped.
    bool run(OperationQueue::Request request);
    template <class Result>
    bool run(const QString &name, OperationQueue::Effect effect, OperationQueue::WhenBusy whenBusy,
             std::function<Result(OperationControl &)> work, std::function<void(Result)> done)
    {
        return run(OperationQueue::request<Result>(name, effect, whenBusy, std::move(work), std::move(done)));
    }

    bool isRunning() const { return m_queue.hasOperation(&m_window); }
    OperationQueue &queue() { return m_queue; }

    /// For the window's closeEvent: true when nothing of the window's runs. Otherwise the close
    /// is put off (or refused, when the engineer keeps a write going) and false is returned.
    bool mayClose();
    /// Forgets a close put off by mayClose() (the window was asked for again).
    void keepOpen() { m_closeWhenFinished = false; }

    /// The question asked before a write is stopped.
    static QString stopQuestion(const QString &name, int done, int total, const QString &unit);
    /// What a window says while its operation waits for another window's to end.
    static QString waitingText(const QString &running);
    /// The text of the last waiting(), so a window can take it away once its turn has come.
    QString lastWaitingText() const { return m_waitingText; }

signals:
    /// The window's operation waits its turn behind `running` (another window's operation):
    /// the window says so until started().
    void waiting(const QString &text);
    /// The window's operation has its turn.
    void started();
    /// The window has an operation running or waiting (true), or none any more (false). Balanced:
    /// work that ran at once, inside run(), is announced by neither.
    void busyChanged(bool busy);
    /// The window's last operation has ended (also work that ran at once, inside run()): what the
    /// work held of the window's model may be read again.
    void allFinished();

private:
    void operationFinished(QObject *owner);

    QWidget &m_window;
    OperationQueue &m_queue;
    Prompts &m_prompts;
    bool m_closeWhenFinished = false;
    bool m_busy = false;
    QString m_waitingText;
};
