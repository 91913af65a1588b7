#pragma once

#include <QDialog>

class InstrumentSession;
class Prompts;

/**
 * @brief "Choose Interface": reached from start-up when no calibrator was found on a serial port.
 * Opens the window that configures each kind of connection: the interface options (serial port
 * or GPIB), USB and Ethernet. Shown modally; "Done" closes it.
 */
class FormChooseInterface : public QDialog
{
    Q_OBJECT
public:
    FormChooseInterface(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);

    void Command_SerialGpib_Click();
    void Command_USB_Click();
    void Command_Ethernet_Click();

private:
    template <class Form>
    void openModal();

    InstrumentSession &m_session;
    Prompts &m_prompts;
};
