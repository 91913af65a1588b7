#include "gui/procedures/ProcedureWindow.h"

#include "gui/app/Main.h"
#include "gui/common/CommandButton.h"
#include "gui/common/WindowOperations.h"

#include <QCloseEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ProcedureWindow::ProcedureWindow(const QString &title, QWidget *parent, Placement placement)
    : QWidget(parent, Qt::Window), m_placement(placement)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
}

QAbstractButton *ProcedureWindow::makeButton(const QString &name, const QString &caption)
{
    return commandButton(caption, name, this);
}

QAbstractButton *ProcedureWindow::exitButton()
{
    return button(QStringLiteral("Command_Exit"), QStringLiteral("Exit"), &ProcedureWindow::Command_Exit_Click);
}

QHBoxLayout *ProcedureWindow::bottomRow(const QList<QAbstractButton *> &left, QAbstractButton *right)
{
    auto *row = new QHBoxLayout;
    for (QAbstractButton *b : left)
        row->addWidget(b);
    row->addStretch(1);
    row->addWidget(right);
    return row;
}

void ProcedureWindow::useOperations(OperationQueue &queue, Prompts &prompts)
{
    m_operations = new WindowOperations(*this, queue, prompts);
    connect(m_operations, &WindowOperations::waiting, this, &ProcedureWindow::showStatus);
    connect(m_operations, &WindowOperations::started, this, [this] {
        if (m_status && m_status->text() == m_operations->lastWaitingText())
            m_status->clear();
    });
    connect(m_operations, &WindowOperations::busyChanged, this, &ProcedureWindow::holdButtons);
    connect(m_operations, &WindowOperations::allFinished, this, &ProcedureWindow::stepsEnded);
}

bool ProcedureWindow::modelInUse() const
{
    return m_operations && m_operations->isRunning() && m_operations->queue().workThread() != thread();
}

void ProcedureWindow::holdButtons(bool hold)
{
    if (!hold) {
        for (const QPointer<QAbstractButton> &b : std::exchange(m_heldButtons, {}))
            if (b)
                b->setEnabled(true);
        return;
    }
    for (QAbstractButton *b : findChildren<QAbstractButton *>()) {
        if (b->isEnabled() && b->objectName() != QLatin1String("Command_Exit")) {
            b->setEnabled(false);
            m_heldButtons << b;
        }
    }
}

void ProcedureWindow::runStep(const QString &name, bool writes, std::function<void()> work, std::function<void()> after)
{
    OperationQueue::Request request;
    request.name = name;
    request.effect = writes ? OperationQueue::Effect::Writes : OperationQueue::Effect::Reads;
    request.work = [work = std::move(work)](OperationControl &) { work(); };
    request.done = std::move(after);
    operations().run(std::move(request));
}

void ProcedureWindow::closeEvent(QCloseEvent *event)
{
    if (m_operations && !m_operations->mayClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

QLabel *ProcedureWindow::statusLine()
{
    if (!m_status) {
        m_status = new QLabel(this);
        m_status->setObjectName(QStringLiteral("Label_Status"));
        m_status->setWordWrap(true);
        m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    return m_status;
}

void ProcedureWindow::showStatus(const QString &text)
{
    statusLine()->setText(text);
}

void ProcedureWindow::focusRefused(QLineEdit *box)
{
    if (!box)
        return;
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

void ProcedureWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        if (m_placement == Placement::Centred)
            CenterForm(this);
        Form_Load();
    }
}

bool ProcedureWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // The refresh runs from the event loop, not inside the activation: Qt goes on to deactivate
    // the window that was active before, and that window may be closed and deleted while the
    // refresh waits for the instrument. A window closed in the meantime (it only waits to be
    // deleted) starts nothing.
    if (event->type() == QEvent::WindowActivate && !m_activationQueued) {
        m_activationQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_activationQueued = false;
                if (m_activating || !isVisible())
                    return;
                m_activating = true;
                Form_Activate();
                m_activating = false;
            },
            Qt::QueuedConnection);
    }
    return handled;
}
