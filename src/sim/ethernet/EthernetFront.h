#pragma once

#include "sim/ethernet/EthernetModuleSim.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QUdpSocket;
class VirtualCalibrator;

/**
 * @brief The virtual calibrator's Ethernet side: one or more simulated Ethernet-serial modules,
 * each on a loopback address of its own (127.0.0.2, 127.0.0.3, ...), and a discovery target on
 * 127.0.0.1 that hands every datagram to all of them, as a broadcast on a real network reaches
 * every module.
 *
 * A host points its discovery setting at discoveryTarget() and finds the modules; each answers
 * from its own address, and takes instrument commands on its data port. Nothing here sends to
 * anything but the loopback addresses datagrams came from.
 */
class EthernetFront : public QObject
{
    Q_OBJECT
public:
    /// The discovery target on hub (127.0.0.1 unless a test puts a second "network" on, say,
    /// 127.0.1.1); the modules take the addresses after it.
    explicit EthernetFront(VirtualCalibrator &calibrator, QObject *parent = nullptr,
                           const QHostAddress &hub = QHostAddress(QHostAddress::LocalHost));
    ~EthernetFront() override;

    /// Adds a module on the next loopback address, with MAC 02-00-00-00-00-0n. Before open().
    EthernetModuleSim &addModule();

    /// Binds the discovery target on the hub address (port 0: any free port) and opens every module
    /// (dataPort 0: each on any free port). False, with errorString(), when a socket would not bind.
    bool open(quint16 discoveryPort = 0, quint16 dataPort = 0);
    void close();
    QString errorString() const { return m_error; }

    /// "127.0.0.1:PORT" (the hub's address): what the "Ethernet_Discovery" setting or --discovery should say.
    QString discoveryTarget() const;
    quint16 discoveryPort() const;

    const QList<EthernetModuleSim *> &modules() const { return m_modules; }

private:
    void fanOut();

    VirtualCalibrator &m_calibrator;
    QHostAddress m_hubAddress;
    QUdpSocket *m_hub = nullptr;
    QList<EthernetModuleSim *> m_modules;
    QString m_error;
};
