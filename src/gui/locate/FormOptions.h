#pragma once

#include <QDialog>
#include <QList>

class InstrumentSession;
class InterfaceOptions;
class Prompts;

/**
 * @brief The interface options window: chooses RS-232 or GPIB, the serial port or GPIB address,
 * and the model, stores them in the settings and reconfigures `DVM` on OK. Shown modally (exec()).
 *
 * The serial ports offered are those that open, listed afresh each time the window opens.
 */
class FormOptions : public QDialog
{
    Q_OBJECT
public:
    FormOptions(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);
    ~FormOptions() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Ui;

    void Form_Load();
    void FillPortList();
    void ApplyInterfaceChoice();
    void Command_OK_Click();

    InstrumentSession &m_session;
    Prompts &m_prompts;
    Ui *m_ui;
    InterfaceOptions *m_options;
    QList<int> m_openPorts;
};
