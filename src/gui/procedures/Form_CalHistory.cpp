#include "gui/procedures/Form_CalHistory.h"

#include "gui/common/Named.h"
#include "gui/procedures/WaitCursor.h"
#include "session/InstrumentSession.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>

Form_CalHistory::Form_CalHistory(InstrumentSession &session, Prompts &, QWidget *parent)
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
    UpdateCalibrationEvents();
}

void Form_CalHistory::UpdateCalibrationEvents()
{
    WaitCursor wait;
    {
        const QSignalBlocker quiet(m_events);
        m_events->clear();
        m_events->addItem(QStringLiteral("Loading ..."));
    }
    // Let the placeholder paint before the wait for the instrument.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    m_history = CalibrationHistory::read(m_channel);
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
