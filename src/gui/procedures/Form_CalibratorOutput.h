#pragma once

#include "gui/procedures/ProcedureWindow.h"
#include "procedures/CalibratorOutput.h"

class InstrumentSession;
class Prompts;
class QLabel;
class QLineEdit;

/**
 * @brief The "Calibrator" window over CalibratorOutput: type an output setting, send it, and
 * see the calibrator's display once it was taken; output on and standby.
 */
class Form_CalibratorOutput : public ProcedureWindow
{
    Q_OBJECT
public:
    Form_CalibratorOutput(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);

    void Command_SetOutput_Click();
    void Command_OutputOn_Click();
    void Command_Standby_Click();

    /// The display reply as the calibrator gave it, before its line ends were made visible.
    QString displayReply() const { return m_displayReply; }

private:
    void showSetting(const CalibratorOutput::Result &result);

    CalibratorOutput m_model;
    QLineEdit *m_setting = nullptr;
    QLabel *m_display = nullptr;
    QString m_displayReply;
};
