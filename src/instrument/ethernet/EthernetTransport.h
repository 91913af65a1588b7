#pragma once

#include "instrument/Transport.h"
#include "instrument/ethernet/BoundUdpSocket.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <memory>

class InstrumentContext;
class TransportState;

/**
 * @brief One command and its reply as UDP datagrams to the instrument's Ethernet-serial module
 * (the data socket, UDPData).
 *
 * A command is one datagram closed by CR. The answer comes back as one or more datagrams; with
 * end condition 0 it ends at the first CR, with 1 at a "*", a digit and a CR (the status line),
 * so a status split over two datagrams is not taken as complete. The time-out counts from the
 * last datagram. Only datagrams from the module's own address and port are taken: another host
 * on the network cannot put words in the instrument's mouth.
 *
 * The wait is event-driven: it returns as soon as the datagram that ends the reply has arrived.
 */
class EthernetTransport : public Transport
{
public:
    /// With the context's pacing and activity state.
    explicit EthernetTransport(InstrumentContext &context);
    ~EthernetTransport() override;

    EthernetTransport(const EthernetTransport &) = delete;
    EthernetTransport &operator=(const EthernetTransport &) = delete;

    /// Takes the module's "IP:PORT". An address that is not a usable IPv4 address and port leaves
    /// the transport unconnected: its exchanges then send nothing, as for a module never chosen.
    bool open(const Endpoint &endpoint, QString *error = nullptr) override;
    /// Closes the data socket; the next exchange binds a fresh one.
    void close() override;
    ExchangeReply exchange(const ExchangeRequest &request) override;
    /// Nothing is listed here: modules are found by discovery (EthernetModuleLink).
    QList<Endpoint> endpoints() override { return {}; }
    /// "Ethernet ", CR LF, and the module's IP address as its 20-character fixed text.
    QString descriptionLine() const override;

    /// The local port of the data socket; 0 until the first command bound it.
    quint16 localPort() const;

    /// True when the reply gathered so far is complete under the end condition.
    static bool replyComplete(const QString &reply, int packetEndCondition);

private:
    /// The data-arrival event: takes every waiting datagram; keeps those from the module.
    void takeDatagrams();

    TransportState &m_state;
    BoundUdpSocket m_socket;
    QString m_ip; ///< as the endpoint gave it
    int m_port = 0;
    QHostAddress m_remoteHost;
    quint16 m_remotePort = 0;
    QByteArray m_buffer; ///< UDPBuffer: received from the module and not yet consumed
    bool m_waiting = false;
    bool m_overflow = false;
};
