#pragma once

#include "session/OperationQueue.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class Prompts;
class QLabel;
class QWidget;
class WindowOperations;

/**
 * @brief A location window's instrument work: every action of the window that reaches a device
 * (a listing that opens ports, a search, a test line, a change of connection) is an operation of
 * the window on the instrument's queue, and the window has one at a time.
 *
 * While the window's action runs or waits its turn behind another window's, workingChanged(true)
 * has turned its controls off, the busy pointer shows, and the action's status line says what
 * goes on (what it waits for, what it is doing, what its work reports); a second press does
 * nothing. The line is emptied before the action's result is shown.
 *
 * The work given to run() holds no widget: it copies what it needs before it is submitted and
 * reaches the window only by its result (delivered to `done`, on the window's thread and only
 * while the window exists) and by OperationControl::reportStatus. The dialog's done() asks
 * mayClose() first, so it never goes while its work runs; it closes when the work has ended.
 */
class LocationOperations : public QObject
{
    Q_OBJECT
public:
    using StatusLine = std::function<void(const QString &)>;

    /// Belongs to the window (its child); the window is the owner of its operations.
    LocationOperations(QWidget &window, OperationQueue &queue, Prompts &prompts);

    /// Where an action's status goes when run() names no other line.
    void setStatusLine(StatusLine line) { m_statusLine = std::move(line); }
    /// Makes the window's status line ("Label_Status") and sends the actions' status there: one
    /// line, empty while nothing runs, that never widens or grows the window (a text too long
    /// for it is cut, and whole in its tooltip).
    QLabel *addStatusLine(QWidget *parent);

    /// An action of the window runs or waits its turn.
    bool isWorking() const { return m_working; }

    /// Submits an action. False, with nothing submitted, while another of the window's runs or
    /// waits, or when the queue takes no more work (the program is ending).
    bool run(const QString &name, std::function<void(OperationControl &)> work, std::function<void()> done = {},
             StatusLine line = {});
    template <class Result>
    bool run(const QString &name, std::function<Result(OperationControl &)> work, std::function<void(Result)> done,
             StatusLine line = {})
    {
        return submit(OperationQueue::request<Result>(name, OperationQueue::Effect::Reads,
                                                      OperationQueue::WhenBusy::WaitTurn, std::move(work),
                                                      std::move(done)),
                      std::move(line));
    }

    /// For the dialog's done(): true when nothing of the window's runs. Otherwise the close is put
    /// off until the action has ended (one still waiting its turn is dropped), and false.
    bool mayClose();

    /// What the status line says while an action runs.
    static QString runningText(const QString &name);

signals:
    /// An action was submitted (true) or has ended or been dropped (false): the window turns its
    /// controls off and on.
    void workingChanged(bool working);

private:
    bool submit(OperationQueue::Request request, StatusLine line);
    void show(const QString &text);
    void clearStatus();
    void setWorking(bool working);
    void operationFinished(QObject *owner);

    QWidget &m_window;
    OperationQueue &m_queue;
    WindowOperations *m_operations;
    StatusLine m_statusLine;
    StatusLine m_line; ///< the line of the action submitted last
    QString m_runningText;
    bool m_working = false;
    bool m_statusShown = false;
    /// The control that had the focus when the controls went off; it gets it back.
    QPointer<QWidget> m_focus;
};
