#pragma once

#include "sim/CalibratorLink.h"
#include "sim/LineAssembler.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QString>

class QUdpSocket;
class VirtualCalibrator;

/**
 * @brief One simulated Ethernet-serial module in front of the virtual calibrator, on a loopback
 * address of its own.
 *
 * It answers the module protocol (discovery "X", "W" + MAC to be chosen, then "L" login, the
 * serial settings, owner and device names, "SIP", "SDH1"/"SDH0", "GIP", "B", "E" reboot) with
 * datagrams beginning "A" when it accepts a command. A new address or DHCP setting takes effect at
 * the reboot. Datagrams on its data port are the instrument's command lines (ended by CR); the
 * calibrator's replies go back to the sender through a CalibratorLink, so the fault knobs apply.
 *
 * It only ever binds loopback addresses: an address set with "SIP" outside 127.0.0.0/8 is
 * reported by "GIP" and in the status but the module stays where it is.
 */
class EthernetModuleSim : public QObject
{
    Q_OBJECT
public:
    /// What the module is and how it misbehaves; change between commands as a test needs.
    struct Behaviour
    {
        QString mac = QStringLiteral("02-00-00-00-00-01");
        QString owner = QStringLiteral("Quorvadi");
        QString device = QStringLiteral("6481 DMM");
        /// The 3rd and 5th characters of the status field; the 4th is the DHCP state.
        QChar statusFlag3 = QLatin1Char('0');
        QChar statusFlag5 = QLatin1Char('0');
        /// When set, the whole status field of the discovery reply (for odd states).
        QString statusOverride;
        /// The answer to a login ("L").
        QByteArray loginReply = QByteArrayLiteral("A");
        /// Commands (whole datagrams, e.g. "SFC0") the module refuses with "N".
        QSet<QByteArray> refused;
        /// Hear module commands, answer none.
        bool silentToCommands = false;
        /// Time a reboot keeps the module deaf.
        int rebootMs = 1500;
    };

    EthernetModuleSim(VirtualCalibrator &calibrator, const QHostAddress &address, QObject *parent = nullptr);
    ~EthernetModuleSim() override;

    Behaviour &behaviour() { return m_behaviour; }
    const Behaviour &behaviour() const { return m_behaviour; }

    /// Binds the command and data sockets on the module's address (dataPort 0: any free port).
    bool open(quint16 dataPort = 0);
    void close();
    QString errorString() const { return m_error; }

    QHostAddress address() const { return m_address; }
    quint16 dataPort() const;
    quint16 commandPort() const;
    bool dhcp() const { return m_dhcp; }
    QString configuredIp() const { return m_ip; }
    bool loggedIn() const { return m_loggedIn; }
    bool rebooting() const { return m_rebooting; }
    /// The serial settings the module was given ("SBR" -> "3", ...).
    QByteArray serialSetting(const QByteArray &command) const { return m_serial.value(command); }
    int ledFlashes() const { return m_ledFlashes; }

    /// Every module command heard, in order (tests check the exact sequence).
    QList<QByteArray> heard;
    /// Every instrument command line heard on the data port, in order.
    QList<QByteArray> dataHeard;

    /// Answers one module-protocol datagram that came from `from` (directly or fanned out by the
    /// discovery target).
    void handleCommand(const QByteArray &datagram, const QHostAddress &from, quint16 fromPort);

    /// The discovery reply: "A" MAC "/" port "/" status "/" "0" "/" owner "/" device.
    QByteArray discoveryReply() const;

private:
    QByteArray answer(const QByteArray &command);
    void readCommands();
    void readData();
    void reboot();
    bool bindSockets(const QHostAddress &address, quint16 dataPort);

    Behaviour m_behaviour;
    QHostAddress m_address;
    QUdpSocket *m_commandSocket = nullptr;
    QUdpSocket *m_dataSocket = nullptr;
    QString m_error;
    LineAssembler m_lines;
    CalibratorLink m_link;
    QHostAddress m_dataPeer;
    quint16 m_dataPeerPort = 0;

    bool m_selected = false;
    bool m_loggedIn = false;
    bool m_rebooting = false;
    QString m_ip;
    bool m_dhcp = false;
    QString m_pendingIp;
    bool m_pendingDhcp = false;
    QHash<QByteArray, QByteArray> m_serial;
    int m_ledFlashes = 0;
};
