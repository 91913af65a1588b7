#include "gui/procedures/Form_CalHistory.h"

#include "gui/common/Named.h"
#include "gui/common/WindowOperations.h"
#include "session/InstrumentSession.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>

Form_CalHistory::Form_CalHistory(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : ProcedureWindow(QStringLiteral("Calibration History"), parent, Placement::Unplaced), m_channel(session.channel())
{
    auto *label1 = named(new QLabel(QStringLiteral("Date"), this), "Label1");
    auto *label2 = named(new QLabel(QStringLiteral("Ranges Calibrated"), this), "Label2");
    m_events = named(new QListWidget(this), "List_CalEvents");
    m_events->setMaximumWidth(180);
    m_ranges = named(new QListWidget(this), "ListView1");
    // A list takes no name from the label above it.
    m_events->setAccessibleName(QStringLiteral("Calibration dates"));
    m_ranges->setAccessibleName(QStringLiteral("Ranges Calibrated"));
    // The current row, not a click: Up and Down choose an event as surely as the mouse does.
    connect(m_events, &QListWidget::currentRowChanged, this, &Form_CalHistory::List_CalEvents_Click);
    useOperations(session.operations(), prompts);

    QAbstractButton *update =
        button(QStringLiteral("Command_Update"), QStringLiteral("Update"), &Form_CalHistory::Command_Update_Click);
    QHBoxLayout *buttons = bottomRow({update}, exitButton());

    // The lists take every bit of room the window gains; the buttons stay along the bottom.
    auto *layout = new QGridLayout(this);
    layout->addWidget(label1, 0, 0);
    layout->addWidget(label2, 0, 1);
    layout->addWidget(m_events, 1, 0);
    layout->addWidget(m_ranges, 1, 1);
    layout->addLayout(buttons, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);
    resize(520, 360);
}

void Form_CalHistory::Form_Activate()
{
    // Coming back to the window reads the history again, unless the instrument is busy.
    readHistory(OperationQueue::WhenBusy::Skip);
}

void Form_CalHistory::UpdateCalibrationEvents()
{
    readHistory(OperationQueue::WhenBusy::WaitTurn);
}

void Form_CalHistory::readHistory(OperationQueue::WhenBusy whenBusy)
{
    {
        const QSignalBlocker quiet(m_events);
        m_events->clear();
        m_events->addItem(QStringLiteral("Loading ..."));
    }
    InstrumentChannel *channel = &m_channel;
    const bool started = operations().run<CalibrationHistory>(
        QStringLiteral("Read Calibration History"), OperationQueue::Effect::Reads, whenBusy,
        [channel](OperationControl &) { return CalibrationHistory::read(*channel); },
        [this](CalibrationHistory history) {
            m_history = std::move(history);
            showHistory();
        });
    if (!started)
        showHistory();
}

void Form_CalHistory::showHistory()
{
    {
        // The list is rebuilt in one piece; the ranges follow once it stands.
        const QSignalBlocker quiet(m_events);
        m_events->clear();
        m_events->addItems(m_history.listLines());
        m_events->setCurrentRow(0);
    }
    Update_CalRanges_View();
}

void Form_CalHistory::Update_CalRanges_View()
{
    const int line = qMax(0, m_events->currentRow());
    const std::optional<QStringList> items = m_history.rangeItemsAtLine(line);
    if (!items)
        return;
    m_ranges->clear();
    m_ranges->addItems(*items);
}
