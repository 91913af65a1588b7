#pragma once

#include "gui/procedures/CalibrationWindow.h"
#include "procedures/KvAmplifier.h"

class InstrumentSession;
class Prompts;
class QLabel;
class QLineEdit;

/**
 * @brief The "kV Amplifier" window over KvAmplifier: DC or AC, the nominal output and its zero
 * and full-scale points, output on and off, the zero and full-scale calculations, the two
 * factors with their "Set" buttons, and "Store" / "Abort".
 *
 * The first time it becomes active after loading it checks that the amplifier is fitted and
 * closes itself, after saying why, when it is not. A red "HIGH VOLTAGE ON" stands in the window while
 * the amplifier's output may be on.
 */
class Form_kVAmp : public CalibrationWindow<KvAmplifier>
{
    Q_OBJECT
public:
    Form_kVAmp(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);

    void read_cal_factors();

    void Form_Load() override;
    void Form_Activate() override;
    void Command_DC_Click();
    void Command2_Click();
    void Command_Z_Click();
    void Command_FS_Click();
    void Command_set_Click();
    void Command_On_Click();
    void Command_Off_Click();
    void Command_CalcZero_Click();
    void Command_SetCal_Click(int index) override;

private:
    void toModel() override;
    void stepsEnded() override { fromModel(); }
    void fromModel();
    QLineEdit *boxFor(const InputBox &box) override;

    QLineEdit *m_voltage = nullptr;
    QLabel *m_frequencyLabel = nullptr;
    QLineEdit *m_frequency = nullptr;
    QLabel *m_highVoltage = nullptr;
};
