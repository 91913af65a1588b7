#pragma once

#include "gui/procedures/ProcedureWindow.h"
#include "procedures/OutputCorrection.h"

#include <array>

class InstrumentSession;
class Prompts;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

/**
 * @brief The "Output Correction" service window over OutputCorrection: the three AC correction
 * factors, nine diagnostic rows, and the direct latch write guarded by a warning.
 */
class Form_OutputCorrection : public ProcedureWindow
{
    Q_OBJECT
public:
    Form_OutputCorrection(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);

    void Form_Load() override;
    void Command_Read_Click();
    void Command_Set_Click();
    void Command_SetBits_Click(int index);
    void Option_LatchType_Click(int index);
    void CheckDigit_Click(int index);
    void CommandEnable_Click();
    void Command_SetLatch_Click();
    void Command1_Click() { close(); }

private:
    /// The model's status line, and the focus on the box it refused.
    void showOutcome(const RefusedBox &refused);

    OutputCorrection m_model;
    std::array<QLineEdit *, 3> m_factors{};
    std::array<QLineEdit *, 9> m_bits{};
    QButtonGroup *m_latchType = nullptr;
    QComboBox *m_latchNumber = nullptr;
    QLineEdit *m_latchData = nullptr;
    std::array<QCheckBox *, 8> m_digits{};
    QAbstractButton *m_setLatch = nullptr;
};
