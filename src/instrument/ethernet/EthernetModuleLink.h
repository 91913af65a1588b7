#pragma once

#include "instrument/ethernet/BoundUdpSocket.h"
#include "instrument/ethernet/BroadcastInterface.h"
#include "instrument/ethernet/EthernetDiscoveryTarget.h"
#include "instrument/ethernet/EthernetModuleRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

/**
 * @brief The module command socket (UDPCommand): finds the Ethernet-serial modules on the network
 * and sends them their own commands, and keeps what was found.
 *
 * Discovery sends "X" to the discovery target (every module answers with one datagram that
 * begins with "A"); a module command is "W" + the module's MAC address, which makes that module
 * listen, then the command itself. Both go to the discovery target, not to the module's IP
 * address, so a module whose address does not suit the local network can still be reached.
 *
 * Without a target (the setting empty, no override) discovery goes to the broadcast address of
 * every interface that can broadcast, each through a socket of its own so every reply is known to
 * have come through its interface; a module's commands then go to the broadcast address it was
 * found through.
 */
class EthernetModuleLink
{
public:
    /// Time a module has to answer: discovery's first reply and each module command.
    static constexpr int kReplyWaitMs = 1000;
    /// After a reply, further discovery replies are taken as long as they keep coming this close.
    static constexpr int kDiscoveryQuietMs = 50;
    /// A flood of replies (or a hostile host) cannot keep discovery reading for ever.
    static constexpr int kMaxDiscoveryDatagrams = 1024;
    static constexpr int kMaxModules = 256;

    EthernetModuleLink();
    ~EthernetModuleLink();

    EthernetModuleLink(const EthernetModuleLink &) = delete;
    EthernetModuleLink &operator=(const EthernetModuleLink &) = delete;

    /// The modules of the last discovery that found anything (EthernetModules), in reply order.
    QList<EthernetModuleRecord> modules;
    /// The trimmed MAC address of the chosen module; module commands go nowhere while it is empty.
    QString selectedModuleMac;
    /// Index into modules of the chosen module; -1 when none was chosen.
    int selectedModuleIndex = -1;

    /// Where discovery and module commands go: --discovery when given, else the setting; nothing
    /// when the setting is empty (every interface) or not usable.
    std::optional<EthernetDiscoveryTarget> target() const;
    void setTargetOverride(std::optional<EthernetDiscoveryTarget> target) { m_override = std::move(target); }
    /// True when no target is given: discovery goes to every interface's broadcast address.
    bool searchesEveryInterface() const;
    /// True when the searches have somewhere to go: every interface, or a usable target.
    bool hasUsableTarget() const { return searchesEveryInterface() || target().has_value(); }

    /// Replaces the system's interface list (the tests give loopback "interfaces"), and the port
    /// the modules listen on behind them.
    void setInterfaceProvider(BroadcastInterfaceProvider provider,
                              quint16 port = EthernetDiscoveryTarget::kDefaultPort);

    /// Sends "X" and rebuilds modules from the replies. True when at least one reply was read up to
    /// its MAC address. When nothing answered at all the list stays as it was.
    bool FindEthernetModules();
    /// Sends "X" to one module's own address (where broadcasts do not get through) and adds its
    /// record to modules, or refreshes it when the module is listed already. True when it answered.
    bool askModuleAt(const EthernetDiscoveryTarget &address);
    /// What the last search sent to: "eth0 192.168.0.255, eth1 10.1.255.255", or the target
    /// "127.0.0.1:40000"; "no interface that can broadcast" when there was nowhere to send.
    QString searchedText() const { return m_searched; }

    /// "W" + selectedModuleMac, then command. The module's reply to the command when it begins
    /// with "A"; "" when no module is chosen, nothing answered or the module refused.
    QString ModuleCommand(const QString &command);
    /// Whether the last ModuleCommand heard anything at both of its exchanges (a refusal is an
    /// answer; silence is not).
    bool lastCommandAnswered() const { return m_lastAnswered; }

    /// Reads a discovery reply into record (address from sender). True when the reply got as far
    /// as the MAC address; a reply that does not begin with "A" is not a module's and is refused.
    static bool parseDiscoveryReply(const QByteArray &datagram, const QHostAddress &sender,
                                    EthernetModuleRecord *record);

    /// This computer's own address on the way to the discovery target (nothing is sent to find
    /// it); a null address when there is none.
    QHostAddress localAddress() const;

    /// Lets go of the command socket; the next command makes it again (on the thread that sends).
    void closeSocket() { m_socket.reset(); }

    /// The local port of the command socket; 0 until first used.
    quint16 localPort() const;

private:
    /// One place discovery sends to, and what the search reports it as.
    struct Route
    {
        EthernetDiscoveryTarget target;
        QString label;
    };
    QList<Route> routes() const;
    /// Sends "X" along each route and gathers the replies, each record marked with its route.
    /// True when a reply was read up to its MAC address; heard is set when anything came at all.
    bool discover(const QList<Route> &routes, QList<EthernetModuleRecord> *found, bool *heard);
    /// Where the chosen module's commands go: the target, else the route it was found through.
    std::optional<EthernetDiscoveryTarget> commandTarget() const;
    /// Sends "W" + mac along each route until one is answered; that route, or nothing.
    std::optional<EthernetDiscoveryTarget> findCommandRoute(const QByteArray &select);

    bool send(const QByteArray &datagram, const EthernetDiscoveryTarget &to, QUdpSocket *socket = nullptr);
    /// Waits until a datagram is waiting on any of sockets (the command socket when none is named)
    /// or timeoutMs passed; true when one is waiting.
    bool waitForDatagram(int timeoutMs, const QList<QUdpSocket *> &sockets = {});
    QByteArray readDatagram(QHostAddress *sender = nullptr, QUdpSocket *socket = nullptr);
    void discardWaiting();

    BoundUdpSocket m_socket;
    std::optional<EthernetDiscoveryTarget> m_override;
    BroadcastInterfaceProvider m_interfaces = systemBroadcastInterfaces;
    quint16 m_interfacePort = EthernetDiscoveryTarget::kDefaultPort;
    QString m_searched;
    bool m_lastAnswered = false;
    bool m_waiting = false;
};
