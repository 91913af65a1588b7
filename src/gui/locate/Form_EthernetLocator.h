#pragma once

#include "locate/EthernetLocator.h"

#include <QDialog>

#include <functional>
#include <memory>

class EthernetModuleSetup;
class InstrumentSession;
class LocationOperations;
class Prompts;
class QPushButton;

/**
 * @brief "Ethernet-Serial Setup": lists the Ethernet-serial modules on the network, chooses the
 * one the instrument is reached through, talks to the instrument through it, and configures the
 * chosen module (the "Advanced" setup commands).
 *
 * Shown modally. Discovery, choice and configuration live in the location library
 * (EthernetLocator, EthernetModuleSetup); this window holds the layout and the wiring, and runs
 * each action that reaches the network as its operation on the instrument's queue (the status
 * line beside the buttons says what it waits for or does). Showing it the first time loads the
 * module in use from the settings and runs "Find Modules".
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
    void DisplayActiveEthernetModule(const EthernetModuleRecord &module);

    /// "Find Modules": also run when the window is first shown and after the setup commands
    /// that reboot the module.
    void Command_BroadcastFind_Click();
    void Command_Select_Click();
    void Command_Advanced_Click();
    /// Keeps the discovery target box's text (empty: every interface) and searches there; a text
    /// that is no target is refused with a message.
    void Command_SetDiscovery_Click();
    /// Asks the module at the address box's address and lists it when it answers.
    void Command_AddModule_Click();

    /// Whether an action (discovery, a choice, a setup sequence, a test command) runs or waits
    /// its turn.
    bool isBusy() const;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Ui;

    void Form_Load();
    void FillModulesList(const QList<EthernetLocator::Row> &rows);
    void SendTestData();
    /// Runs one of the locator's actions as the window's operation.
    void runFind(const QString &name, std::function<void(EthernetLocator &)> action);
    /// A setup command's button runs its sequence as the window's operation.
    void runSetup(QPushButton *button, std::function<void(EthernetModuleSetup &)> sequence);

    Ui *m_ui;
    /// Shared with the work that runs their actions, which may outlive the window.
    std::shared_ptr<EthernetLocator> m_locator;
    std::shared_ptr<EthernetModuleSetup> m_setup;
    LocationOperations *m_operations;
    /// The rows the list shows, as the last discovery gave them.
    QList<EthernetLocator::Row> m_rows;
    bool m_loaded = false;
};
