#pragma once

#include "locate/UsbDeviceSelection.h"

#include <QDialog>

#include <functional>
#include <memory>

class InstrumentSession;
class LocationOperations;
class Prompts;

/**
 * @brief "USB Device Detection": lists the USB bridges with their answers to the identification
 * query and makes one of them the instrument's USB device, by hand, by its answer or by the
 * adapter's description; a test box sends single commands to the device in use.
 *
 * The window holds the layout and the wiring; what the buttons do is UsbDeviceSelection, run as
 * the window's operations on the instrument's queue (the status line under the list says what
 * they wait for or do). Showing the window the first time loads the device in use from the
 * settings and lists the devices, once it is on screen.
 */
class Form_USBLocator : public QDialog
{
    Q_OBJECT
public:
    Form_USBLocator(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);
    ~Form_USBLocator() override;

    /// Shows the name and serial number of the device in use in the "Active Module" frame.
    void DisplayActiveUSBModule(const QString &name, const QString &serialNumber);

    /// Whether an action of the window runs or waits its turn.
    bool isBusy() const;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Ui;

    void Form_Load();
    void fillListView(const QList<UsbDeviceSelection::Row> &rows, const QString &accessProblem);
    /// Runs one of the selection's actions as the window's operation.
    void runAction(const QString &name, std::function<void(UsbDeviceSelection &)> action);
    /// Sends one line of the test box; the reply goes to the replies box.
    void runTest(std::function<QString(UsbDeviceSelection &)> exchange);

    void Command_Locate_Click();
    void Command_SelectUSB_Click();
    void Command_Autodetect_Click();
    void Command_AutomaticUSB_Click();
    void Command_Advanced_Click();
    void Command_testID_Click();
    void Command1_Click();
    void Command_Clear_Click();
    void Text1_Enter();

    /// Shared with the work that runs its actions, which may outlive the window.
    std::shared_ptr<UsbDeviceSelection> m_selection;
    Ui *m_ui;
    LocationOperations *m_operations;
    bool m_loaded = false;
};
