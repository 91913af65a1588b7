#pragma once

#include <QDialog>

class InstrumentSession;
class Prompts;
class UsbDeviceSelection;

/**
 * @brief "USB Device Detection": lists the USB bridges with their answers to the identification
 * query and makes one of them the instrument's USB device, by hand, by its answer or by the
 * adapter's description; a test box sends single commands to the device in use.
 *
 * The window holds the layout and the wiring; what the buttons do is UsbDeviceSelection. Showing
 * the window the first time loads the device in use from the settings and lists the devices,
 * once it is on screen.
 */
class Form_USBLocator : public QDialog
{
    Q_OBJECT
public:
    Form_USBLocator(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);
    ~Form_USBLocator() override;

    /// Shows the name and serial number of the device in use in the "Active Module" frame.
    void DisplayActiveUSBModule();

    UsbDeviceSelection &selection() { return *m_selection; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Ui;

    void Form_Load();
    void fillListView();

    void Command_Locate_Click();
    void Command_SelectUSB_Click();
    void Command_Autodetect_Click();
    void Command_AutomaticUSB_Click();
    void Command_Advanced_Click();
    void Command_testID_Click();
    void Command1_Click();
    void Command_Clear_Click();
    void Text1_Enter();

    UsbDeviceSelection *m_selection;
    Ui *m_ui;
    bool m_loaded = false;
};
