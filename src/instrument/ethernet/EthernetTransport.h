#pragma once

#include "instrument/ethernet/EthernetModuleRecord.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <memory>

class EthernetModuleLink;
class QUdpSocket;
class TransportState;

/**
 * @brief One command and its reply as UDP datagrams to the instrument's Ethernet-serial module
 * (the data socket, UDPData), and the module command socket beside it.
 *
 * A command is one datagram closed by CR. The answer comes back as one or more datagrams; with
 * end condition 0 it ends at the first CR, with 1 at a "*", a digit and a CR (the status line),
 * so a status split over two datagrams is not taken as complete. The time-out counts from the
 * last datagram. Only datagrams from the module's own address and port are taken: another host
 * on the network cannot put words in the instrument's mouth.
 *
 * The wait is event-driven: it returns as soon as the datagram that ends the reply has arrived.
 */
class EthernetTransport
{
public:
    explicit EthernetTransport(TransportState &state);
    ~EthernetTransport();

    EthernetTransport(const EthernetTransport &) = delete;
    EthernetTransport &operator=(const EthernetTransport &) = delete;

    /// The module in use (the record each driver copies in before its exchange).
    EthernetModuleRecord device;

    QString sendString(const QString &command, bool waitForAck, int timeoutSeconds, int packetEndCondition);

    /// Discovery and module commands (UDPCommand), and the modules found.
    EthernetModuleLink &moduleLink() { return *m_moduleLink; }

    /// The local port of the data socket; 0 until the first command bound it.
    quint16 localPort() const;

    /// True when the reply gathered so far is complete under the end condition.
    static bool replyComplete(const QString &reply, int packetEndCondition);

private:
    bool ensureSocket();
    /// The data-arrival event: takes every waiting datagram; keeps those from the module.
    void takeDatagrams();

    TransportState &m_state;
    std::unique_ptr<QUdpSocket> m_socket;
    std::unique_ptr<EthernetModuleLink> m_moduleLink;
    QHostAddress m_remoteHost;
    quint16 m_remotePort = 0;
    QByteArray m_buffer; ///< UDPBuffer: received from the module and not yet consumed
    bool m_busy = false;
    bool m_waiting = false;
    bool m_overflow = false;
};
