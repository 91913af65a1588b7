#pragma once

#include "gui/procedures/ProcedureWindow.h"
#include "procedures/KvAmplifier.h"

#include <array>

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
 * closes itself, after saying why, when it is not.
 */
class Form_kVAmp : public ProcedureWindow
{
    Q_OBJECT
public:
    Form_kVAmp(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);

    KvAmplifier &model() { return m_model; }

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
    void Command1_Click();
    void Command_SetCal_Click(int index);
    void Command_CalStore_Click();
    void Command_CalAbort_Click();

private:
    void toModel();
    void fromModel();

    KvAmplifier m_model;
    QLineEdit *m_voltage = nullptr;
    QLabel *m_frequencyLabel = nullptr;
    QLineEdit *m_frequency = nullptr;
    QLineEdit *m_measured = nullptr;
    std::array<QLineEdit *, 2> m_factors{};
};
