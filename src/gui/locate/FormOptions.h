#pragma once

#include <QDialog>

class InstrumentContext;
class Prompts;

/**
 * @brief The interface options window: chooses RS-232 or GPIB, the serial port or GPIB address,
 * and the model, stores them in the settings and reconfigures `DVM` on OK. Shown modally (exec()).
 */
class FormOptions : public QDialog
{
    Q_OBJECT
public:
    FormOptions(InstrumentContext &context, Prompts &prompts, QWidget *parent = nullptr);
    ~FormOptions() override;

private:
    struct Ui;
    InstrumentContext &m_context;
    Prompts &m_prompts;
    Ui *m_ui;
};
