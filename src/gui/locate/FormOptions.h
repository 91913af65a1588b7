#pragma once

#include <QDialog>
#include <QList>

class InstrumentSession;
class InterfaceOptions;
class LocationOperations;
class Prompts;

/**
 * @brief The interface options window: chooses RS-232 or GPIB, the serial port or GPIB address,
 * and the model, stores them in the settings and reconfigures `DVM` on OK. Shown modally (exec()).
 *
 * The serial ports offered are those that open, listed afresh each time the window opens. The
 * listing, the GPIB panel's actions and OK's change of `DVM` are the window's operations on the
 * instrument's queue; the status line beside the buttons says what they wait for or do.
 */
class FormOptions : public QDialog
{
    Q_OBJECT
public:
    FormOptions(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);
    ~FormOptions() override;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    struct Ui;

    void Form_Load();
    void FillPortList();
    void ShowPortDevice();
    void ApplyInterfaceChoice();
    void Command_OK_Click();

    InstrumentSession &m_session;
    Prompts &m_prompts;
    Ui *m_ui;
    InterfaceOptions *m_options;
    LocationOperations *m_operations;
    QList<int> m_openPorts;
};
