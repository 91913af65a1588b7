#pragma once

#include <QDialog>
#include <QPointer>

class EthernetLocator;
class EthernetModuleSetup;
class InstrumentSession;
class Prompts;

/**
 * @brief "Ethernet-Serial Setup": lists the Ethernet-serial modules on the network, chooses the
 * one the instrument is reached through, talks to the instrument through it, and configures the
 * chosen module (the "Advanced" setup commands).
 *
 * Shown modally. Discovery, choice and configuration live in the location library
 * (EthernetLocator, EthernetModuleSetup); this window holds the layout and the wiring. Showing it
 * the first time runs "Find Modules".
 */
class Form_EthernetLocator : public QDialog
{
    Q_OBJECT
public:
    Form_EthernetLocator(InstrumentSession &session, Prompts &prompts, QWidget *parent = nullptr);
    ~Form_EthernetLocator() override;

    /// Chooses the module of list row `row` (from 0, the modules' own order); outside the list
    /// nothing happens.
    void SelectEthernetModule(int row);
    /// Shows the module in use in the "Active Module" frame.
    void DisplayActiveEthernetModule();

    /// "Find Modules": also run when the window is first shown and after the setup commands
    /// that reboot the module.
    void Command_BroadcastFind_Click();
    void Command_Select_Click();
    void Command_Advanced_Click();

    /// Whether a long action (discovery, a setup sequence, a test command) is running.
    bool isBusy() const { return m_busy > 0; }

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Ui;

    void Form_Load();
    void FillModulesList();
    void SendTestData();
    void setBusy(bool busy);

    InstrumentSession &m_session;
    Prompts &m_prompts;
    Ui *m_ui;
    EthernetLocator *m_locator;
    EthernetModuleSetup *m_setup;
    int m_busy = 0;
    /// The control that had the focus when a long action disabled the controls; it gets it back.
    QPointer<QWidget> m_focusBeforeBusy;
    bool m_loaded = false;
    bool m_closeRequested = false;
    int m_closeResult = 0;
};
