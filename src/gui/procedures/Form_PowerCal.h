#pragma once

#include "gui/procedures/CalibrationWindow.h"
#include "procedures/PowerCalibration.h"

class InstrumentSession;
class Prompts;
class QButtonGroup;
class QLineEdit;

/**
 * @brief The "Power Calibration" window over PowerCalibration: range and frequency buttons,
 * zero and full-scale points, output control, the four power factors with their "Set" buttons,
 * the full-scale calculation, and "Store" / "Abort".
 *
 * The boxes are handed to the model before each step and shown again after it.
 */
class Form_PowerCal : public CalibrationWindow<PowerCalibration>
{
    Q_OBJECT
public:
    Form_PowerCal(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);

    void set_frequency();
    void read_power_factors();

    void Form_Load() override;
    void Option_CurrentRange_Click(int index);
    void Option_Frequency_Click(int index);
    void Text_Frequency_KeyPress();
    void Command_SetZero_Click();
    void Command_SetFS_Click();
    void Command_OutputOn_Click();
    void Command_Standby_Click();
    void Command_SetCal_Click(int index) override;

private:
    void toModel() override;
    void stepsEnded() override { factorsFromModel(); }
    QLineEdit *boxFor(const InputBox &box) override;

    QButtonGroup *m_ranges = nullptr;
    QButtonGroup *m_frequencies = nullptr;
    QLineEdit *m_frequency = nullptr;
};
