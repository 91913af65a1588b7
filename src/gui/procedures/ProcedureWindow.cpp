#include "gui/procedures/ProcedureWindow.h"

#include "gui/common/CommandButton.h"

#include <QEvent>
#include <QPushButton>

ProcedureWindow::ProcedureWindow(const QString &title, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
}

QAbstractButton *ProcedureWindow::makeButton(const QString &name, const QString &caption)
{
    return commandButton(caption, name, this);
}

void ProcedureWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
}

bool ProcedureWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate && !m_activating) {
        m_activating = true;
        Form_Activate();
        m_activating = false;
    }
    return handled;
}
