#include "gui/procedures/FormDate.h"

#include "gui/common/Named.h"
#include "gui/common/WindowOperations.h"
#include "platform/Clock.h"
#include "procedures/AnswerStatus.h"
#include "procedures/LenientDate.h"
#include "session/InstrumentSession.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTimeEdit>
#include <QVBoxLayout>

FormDate::FormDate(InstrumentSession &session, Prompts &prompts, QWidget *parent)
    : ProcedureWindow(QStringLiteral("Date and Time"), parent, Placement::Centred), m_clock(session.channel())
{
    auto *frame1 = named(new QGroupBox(QStringLiteral("Computer Time"), this), "Frame1");
    m_labelDate = named(new QLabel(QStringLiteral("..."), frame1), "LabelDate");
    (new QVBoxLayout(frame1))->addWidget(m_labelDate);

    auto *frame2 = named(new QGroupBox(QStringLiteral("Calibrator Time"), this), "Frame2");
    m_labelMeterDate = named(new QLabel(QStringLiteral("..."), frame2), "LabelMeterDate");
    auto *frame2Layout = new QHBoxLayout(frame2);
    frame2Layout->addWidget(m_labelMeterDate, 1);
    frame2Layout->addWidget(button(QStringLiteral("Command_ReadMeterTime"), QStringLiteral("Read"),
                                   &FormDate::Command_ReadMeterTime_Click));

    m_datePicker = named(new QDateEdit(this), "DTPicker1");
    m_datePicker->setCalendarPopup(true);
    // The locale's short date, but with the whole year: a two-digit year would be read as 19xx.
    QString dateForm = QLocale().dateFormat(QLocale::ShortFormat);
    if (!dateForm.contains(QLatin1String("yyyy")))
        dateForm.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    m_datePicker->setDisplayFormat(dateForm);
    m_timePicker = named(new QTimeEdit(this), "DTPicker2");
    m_timePicker->setDisplayFormat(QStringLiteral("HH:mm"));
    m_datePicker->setAccessibleName(QStringLiteral("Date to set"));
    m_timePicker->setAccessibleName(QStringLiteral("Time to set"));

    auto *layout = new QGridLayout(this);
    layout->addWidget(frame1, 0, 0, 1, 3);
    layout->addWidget(frame2, 1, 0, 1, 3);
    layout->addWidget(button(QStringLiteral("Command_SetTime"), QStringLiteral("Set Calibrator Time to Computer Time"),
                             &FormDate::Command_SetTime_Click),
                      2, 0, 1, 3);
    layout->addWidget(m_datePicker, 3, 0);
    layout->addWidget(m_timePicker, 3, 1);
    layout->addWidget(button(QStringLiteral("Command_SetOtherTime"),
                             QStringLiteral("Set Calibrator Time to Specified Time"),
                             &FormDate::Command_SetOtherTime_Click),
                      3, 2);
    layout->addWidget(statusLine(), 4, 0, 1, 2);
    layout->addWidget(exitButton(), 4, 2);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(5, 1);

    useOperations(session.operations(), prompts);
    scheduleClockRefresh();
}

void FormDate::scheduleClockRefresh()
{
    // The refresh runs on the program's clock, so it stops with the window and tests can step it.
    systemClock().schedule(kClockRefreshMs, this, [this] {
        TimerClock_Timer();
        scheduleClockRefresh();
    });
}

void FormDate::Form_Activate()
{
    TimerClock_Timer();
    readMeterTime(OperationQueue::WhenBusy::Skip);
    const QDateTime now = systemClock().currentDateTime();
    m_timePicker->setTime(now.time());
    m_datePicker->setDate(now.date());
}

void FormDate::TimerClock_Timer()
{
    m_labelDate->setText(LenientDate::displayForm(systemClock().currentDateTime()));
}

void FormDate::Command_ReadMeterTime_Click()
{
    readMeterTime(OperationQueue::WhenBusy::WaitTurn);
}

void FormDate::readMeterTime(OperationQueue::WhenBusy whenBusy)
{
    const InstrumentClock clock = m_clock;
    operations().run<InstrumentClock::Reading>(
        QStringLiteral("Read Calibrator Time"), OperationQueue::Effect::Reads, whenBusy,
        [clock](OperationControl &) { return clock.read(); },
        [this](InstrumentClock::Reading reading) { m_labelMeterDate->setText(reading.labelText()); });
}

void FormDate::setClock(const QDate &date, const QTime &time)
{
    const InstrumentClock clock = m_clock;
    operations().run<InstrumentClock::Setting>(
        QStringLiteral("Set Calibrator Time"), OperationQueue::Effect::Writes, OperationQueue::WhenBusy::WaitTurn,
        [clock, date, time](OperationControl &) { return clock.set(date, time); },
        [this](InstrumentClock::Setting setting) {
            // A refused setting leaves the label at the last reading; the status line says why.
            if (setting.reread)
                m_labelMeterDate->setText(setting.reread->labelText());
            showStatus(AnswerStatus::text(QStringLiteral("Set Calibrator Time"), QStringLiteral("Calibrator clock set"),
                                          setting.reply));
            TimerClock_Timer();
        });
}

void FormDate::Command_SetTime_Click()
{
    const QDateTime now = systemClock().currentDateTime();
    setClock(now.date(), now.time());
}

void FormDate::Command_SetOtherTime_Click()
{
    setClock(m_datePicker->date(), m_timePicker->time());
}
