#pragma once

#include "instrument/ethernet/EthernetModuleRecord.h"

#include <QList>
#include <QObject>
#include <QString>

class EthernetModuleLink;
class InstrumentSession;
class Prompts;

/**
 * @brief Finds the Ethernet-serial modules on the network, asks the instrument behind each who it
 * is, and makes one of them the connection of the instrument object: what the Ethernet window
 * shows and does, without the window.
 *
 * The modules found live in the module link (they outlive the window); the module in use is the
 * context's Ethernet device record. Choosing a module takes effect at once: the settings are
 * written and the instrument object is switched to Ethernet.
 */
class EthernetLocator : public QObject
{
    Q_OBJECT
public:
    /// One row of the modules list: IP, MAC, Port, DHCP, Owner, Device, Reply.
    struct Row
    {
        int moduleIndex = -1; ///< index into modules()
        QString ip, mac, port, dhcp, owner, device, reply;
    };

    /// The time the instrument behind each module has to answer "*IDN?".
    static constexpr int kIdentifyTimeoutSeconds = 2;

    EthernetLocator(InstrumentSession &session, Prompts &prompts, QObject *parent = nullptr);

    /// "Find Modules": discovery, then "*IDN?" through each module found. When exactly one module
    /// answered and selectLoneModule is set, it is chosen at once. "No Devices Found" when none
    /// answered; false then.
    bool findModules(bool selectLoneModule = true);

    /// "Searched: eth0 192.168.0.255, eth1 10.1.255.255": where the last search went, for the
    /// line under the list; empty before the first.
    QString searchedText() const;

    /// The discovery target the settings hold ("" for every interface).
    static QString discoveryTarget();
    /// Stores text (trimmed) as the discovery target when it is empty or ADDRESS[:PORT]; else
    /// says what it should be and changes nothing. True when stored.
    bool setDiscoveryTarget(const QString &text);

    /// Asks the module at text (ADDRESS[:PORT], port 32767 when left out) directly, for networks
    /// that do not pass broadcasts, and lists it with its instrument's identity when it answers.
    /// A message names the address when the text is not one or nothing answered there.
    bool addModuleAt(const QString &text);

    /// Chooses modules()[index] (SelectEthernetModule). False, changing nothing, outside the list.
    bool selectModule(int index);
    /// The index of the listed module with this MAC address (blanks and case ignored), or -1.
    int indexOfMac(const QString &mac) const;

    const QList<EthernetModuleRecord> &modules() const;
    /// What the list shows: empty after a discovery that found nothing.
    const QList<Row> &rows() const { return m_rows; }
    /// The trimmed MAC of the chosen module; empty when none is chosen.
    QString selectedModuleMac() const;

    /// The module in use (EthernetDevice), and loading it from the settings.
    const EthernetModuleRecord &activeModule() const;
    void loadActiveModule();
    /// The "Active Module" name line: owner, one blank, device, CR LF, the identification.
    static QString activeNameText(const EthernetModuleRecord &module);

    /// Sends a line to the instrument through the module in use, as the test-communication box
    /// does: the reply to the first line, or up to the status line for "pa".
    QString sendTestCommand(const QString &text);

signals:
    /// The rows as they are now, and the module in use now. The signals carry copies: the
    /// search may run on another thread than the window that hears them.
    void modulesChanged(const QList<EthernetLocator::Row> &rows);
    void activeModuleChanged(const EthernetModuleRecord &module);
    /// searchedText() after each search.
    void searchedChanged(const QString &text);

private:
    /// Asks the instrument behind the module who it is and keeps the answer in its record.
    void identify(EthernetModuleRecord &module);
    /// The rows from the modules as they are now, and modulesChanged.
    void listModules();

    InstrumentSession &m_session;
    Prompts &m_prompts;
    QList<Row> m_rows;
};
