#include "gui/locate/LocationOperations.h"

#include "gui/common/Named.h"
#include "gui/common/WindowOperations.h"

#include <QLabel>
#include <QWidget>

LocationOperations::LocationOperations(QWidget &window, OperationQueue &queue, Prompts &prompts)
    : QObject(&window), m_window(window), m_queue(queue), m_operations(new WindowOperations(window, queue, prompts))
{
    connect(m_operations, &WindowOperations::waiting, this, &LocationOperations::show);
    connect(m_operations, &WindowOperations::started, this, [this] { show(m_runningText); });
    connect(&queue, &OperationQueue::statusReported, this, [this](QObject *owner, const QString &text) {
        if (owner == &m_window)
            show(text);
    });
    connect(&queue, &OperationQueue::finished, this, &LocationOperations::operationFinished);
}

QLabel *LocationOperations::addStatusLine(QWidget *parent)
{
    QLabel *label = named(new QLabel(parent), "Label_Status");
    // The line is there while idle too, so the window keeps its size as the text comes and goes.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->setMinimumHeight(label->fontMetrics().height());
    setStatusLine([label](const QString &text) {
        label->setText(text);
        label->setToolTip(text);
    });
    return label;
}

QString LocationOperations::runningText(const QString &name)
{
    return name + QStringLiteral("...");
}

bool LocationOperations::run(const QString &name, std::function<void(OperationControl &)> work,
                             std::function<void()> done, StatusLine line)
{
    OperationQueue::Request request;
    request.name = name;
    request.work = std::move(work);
    request.done = std::move(done);
    return submit(std::move(request), std::move(line));
}

bool LocationOperations::submit(OperationQueue::Request request, StatusLine line)
{
    if (m_working)
        return false;
    m_line = line ? std::move(line) : m_statusLine;
    m_runningText = runningText(request.name);
    // The done of the queue runs only while the window, and so this, exists.
    request.done = [this, done = std::move(request.done)] {
        // The controls are back and the line empty before the result is shown, so the result may
        // put its own text there and start the window's next action.
        clearStatus();
        setWorking(false);
        if (done)
            done();
    };
    setWorking(true);
    QPointer<LocationOperations> self(this);
    const bool accepted = m_operations->run(std::move(request));
    if (!accepted && self && m_working) {
        clearStatus();
        setWorking(false);
    }
    return accepted;
}

bool LocationOperations::mayClose()
{
    return m_operations->mayClose();
}

void LocationOperations::show(const QString &text)
{
    if (!m_line)
        return;
    m_line(text);
    m_statusShown = true;
}

void LocationOperations::clearStatus()
{
    if (!m_statusShown)
        return;
    m_statusShown = false;
    if (m_line)
        m_line(QString());
}

void LocationOperations::setWorking(bool working)
{
    if (working == m_working)
        return;
    m_working = working;
    if (working) {
        // A disabled control loses the focus; the user typing test lines goes on typing.
        m_focus = m_window.focusWidget();
        emit workingChanged(true);
        return;
    }
    emit workingChanged(false);
    if (m_focus && m_focus->isEnabled())
        m_focus->setFocus();
    m_focus = nullptr;
}

void LocationOperations::operationFinished(QObject *owner)
{
    // An action dropped before its turn (the window was closed meanwhile) has no done.
    if (owner != &m_window || m_queue.hasOperation(&m_window) || !m_working)
        return;
    clearStatus();
    setWorking(false);
}
