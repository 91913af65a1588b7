#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class OperationQueue;
class Prompts;
class QAbstractButton;
class QHBoxLayout;
class WindowOperations;
class QLabel;
class QLineEdit;

/**
 * @brief What the procedure windows share: a window of its own beside the main window that is
 * unloaded (destroyed) when it closes, loaded (Form_Load, once, when first shown) and told each
 * time it becomes the active window (Form_Activate, from the event loop once the activation is
 * over), with "Exit" closing it.
 *
 * The window's instrument work runs as operations of the session's queue (operations()); the
 * window is not closed under a running operation of its own (see WindowOperations).
 */
class ProcedureWindow : public QWidget
{
    Q_OBJECT
public:
    /// Where the window goes when it is first shown: centred on its screen, or where the window
    /// system puts it.
    enum class Placement {
        Centred,
        Unplaced
    };

    ProcedureWindow(const QString &title, QWidget *parent, Placement placement);

    void Command_Exit_Click() { close(); }

protected:
    virtual void Form_Load() {}
    virtual void Form_Activate() {}

    /// A push button named after its handler, running the window's handler when clicked.
    template <class Form>
    QAbstractButton *button(const QString &name, const QString &caption, void (Form::*handler)());
    /// The same for a handler that takes the button's index in its control array.
    template <class Functor>
    QAbstractButton *button(const QString &name, const QString &caption, Functor handler);
    /// "Exit" ("Command_Exit"), which closes the window.
    QAbstractButton *exitButton();
    /// The row of buttons along the bottom of a window: `left` from the left, `right` on its own
    /// at the right.
    static QHBoxLayout *bottomRow(const QList<QAbstractButton *> &left, QAbstractButton *right);
    /// The window's status line ("Label_Status"), which says what became of its last step; the
    /// window places it.
    QLabel *statusLine();
    void showStatus(const QString &text);
    /// Puts the focus on a box the model refused, its text selected so it can be typed over.
    static void focusRefused(QLineEdit *box);

    /// The window's side of the operation queue; made by useOperations.
    WindowOperations &operations() { return *m_operations; }
    void useOperations(OperationQueue &queue, Prompts &prompts);
    /// A step of the window's model as an operation, in the instrument's turn; `after` hears its
    /// result while the window exists. The window is not closed under its own step, so the step
    /// may hold the window's model (never a widget: what it sends is read from the boxes before).
    template <class Result>
    void runStep(const QString &name, bool writes, std::function<Result()> work, std::function<void(Result)> after);
    /// The same for a step without a result.
    void runStep(const QString &name, bool writes, std::function<void()> work, std::function<void()> after);

    /// Called once the window's steps have ended: the window shows its model again.
    virtual void stepsEnded() {}
    /// True while a step of the window may be working on its model on the instrument's own
    /// thread: the window does not read the model then (stepsEnded() shows it afterwards).
    bool modelInUse() const;

    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    QAbstractButton *makeButton(const QString &name, const QString &caption);
    /// While a step of the window runs or waits, its buttons and choices are off (all but
    /// "Exit"), so nothing hands the model new input under the step; they come back as they were.
    void holdButtons(bool hold);

    Placement m_placement;
    QLabel *m_status = nullptr;
    bool m_loaded = false;
    bool m_activating = false;
    bool m_activationQueued = false;
    WindowOperations *m_operations = nullptr;
    QList<QPointer<QAbstractButton>> m_heldButtons;
};

#include "gui/common/WindowOperations.h"

#include <QAbstractButton>

template <class Result>
void ProcedureWindow::runStep(const QString &name, bool writes, std::function<Result()> work,
                              std::function<void(Result)> after)
{
    operations().run<Result>(
        name, writes ? OperationQueue::Effect::Writes : OperationQueue::Effect::Reads,
        OperationQueue::WhenBusy::WaitTurn, [work = std::move(work)](OperationControl &) { return work(); },
        std::move(after));
}

template <class Form>
QAbstractButton *ProcedureWindow::button(const QString &name, const QString &caption, void (Form::*handler)())
{
    QAbstractButton *b = makeButton(name, caption);
    connect(b, &QAbstractButton::clicked, static_cast<Form *>(this), handler);
    return b;
}

template <class Functor>
QAbstractButton *ProcedureWindow::button(const QString &name, const QString &caption, Functor handler)
{
    QAbstractButton *b = makeButton(name, caption);
    connect(b, &QAbstractButton::clicked, this, handler);
    return b;
}
