#pragma once

#include "gui/procedures/ProcedureWindow.h"
#include "procedures/InstrumentClock.h"
#include "session/OperationQueue.h"

class InstrumentSession;
class Prompts;
class QDateEdit;
class QLabel;
class QTimeEdit;

/**
 * @brief The "Date and Time" window: the computer's clock beside the calibrator's, and setting
 * the calibrator's clock to the computer's time or to a date and time the engineer picks.
 *
 * The computer's clock is refreshed every five seconds; the calibrator's only when read, after a
 * setting it took, and whenever the window becomes active (which also resets both pickers to now).
 */
class FormDate : public ProcedureWindow
{
    Q_OBJECT
public:
    static constexpr int kClockRefreshMs = 5000;

    FormDate(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);

    void Form_Activate() override;
    void TimerClock_Timer();
    void Command_ReadMeterTime_Click();
    void Command_SetTime_Click();
    void Command_SetOtherTime_Click();

private:
    void readMeterTime(OperationQueue::WhenBusy whenBusy);
    void setClock(const QDate &date, const QTime &time);
    void scheduleClockRefresh();

    InstrumentClock m_clock;
    QLabel *m_labelDate = nullptr;
    QLabel *m_labelMeterDate = nullptr;
    QDateEdit *m_datePicker = nullptr;
    QTimeEdit *m_timePicker = nullptr;
};
