#pragma once

#include "gui/procedures/ProcedureWindow.h"
#include "instrument/InstrumentChannel.h"
#include "procedures/CalibrationHistory.h"
#include "session/OperationQueue.h"

class InstrumentSession;
class Prompts;
class QListWidget;

/**
 * @brief The "Calibration History" window: the calibrator's calibration events by date, newest
 * first, and for the selected event the ranges calibrated, each by name and number.
 *
 * The history is read again whenever the window becomes active (unless the instrument is busy)
 * and on "Update"; choosing an event only redraws the range list from what was read.
 */
class Form_CalHistory : public ProcedureWindow
{
    Q_OBJECT
public:
    Form_CalHistory(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);

    void UpdateCalibrationEvents();
    void Update_CalRanges_View();

    void Form_Activate() override;
    void Command_Update_Click() { UpdateCalibrationEvents(); }
    void List_CalEvents_Click() { Update_CalRanges_View(); }

    const CalibrationHistory &history() const { return m_history; }

private:
    void readHistory(OperationQueue::WhenBusy whenBusy);
    void showHistory();

    InstrumentChannel &m_channel;
    CalibrationHistory m_history;
    QListWidget *m_events = nullptr;
    QListWidget *m_ranges = nullptr;
};
