#include "sim/ethernet/EthernetModuleSim.h"

#include "platform/Clock.h"
#include "sim/SimLog.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

#include <cctype>

namespace {

constexpr int kNameLength = 8;
// A module takes command lines of a few dozen characters; a datagram is never longer than this.
constexpr qsizetype kMaxDataLine = 4096;

const QByteArray kAccept = QByteArrayLiteral("A");
const QByteArray kRefuse = QByteArrayLiteral("N");

// The serial-port settings a module takes, each a three-letter command glued to its value.
const QList<QByteArray> kSerialCommands = {"SBR", "SPR", "SBB", "SFC", "SSE"};

bool isLoopback(const QHostAddress &address)
{
    return address.protocol() == QAbstractSocket::IPv4Protocol && address.isLoopback();
}

} // namespace

EthernetModuleSim::EthernetModuleSim(VirtualCalibrator &calibrator, const QHostAddress &address, QObject *parent)
    : QObject(parent),
      m_address(address),
      m_lines(kMaxDataLine),
      m_link(
          calibrator,
          [this](const QByteArray &bytes) {
              if (m_dataSocket && !m_dataPeer.isNull())
                  m_dataSocket->writeDatagram(bytes, m_dataPeer, m_dataPeerPort);
          },
          this),
      m_ip(address.toString())
{
}

EthernetModuleSim::~EthernetModuleSim()
{
    close();
}

quint16 EthernetModuleSim::dataPort() const
{
    return m_dataSocket ? m_dataSocket->localPort() : 0;
}

quint16 EthernetModuleSim::commandPort() const
{
    return m_commandSocket ? m_commandSocket->localPort() : 0;
}

bool EthernetModuleSim::bindSockets(const QHostAddress &address, quint16 dataPort)
{
    if (!isLoopback(address)) {
        m_error = QStringLiteral("%1 is not a loopback address").arg(address.toString());
        return false;
    }
    auto *command = new QUdpSocket(this);
    auto *data = new QUdpSocket(this);
    if (!command->bind(address, 0) || !data->bind(address, dataPort)) {
        m_error =
            QStringLiteral("cannot bind %1: %2")
                .arg(address.toString(),
                     command->state() == QAbstractSocket::BoundState ? data->errorString() : command->errorString());
        delete command;
        delete data;
        return false;
    }
    close();
    m_commandSocket = command;
    m_dataSocket = data;
    m_address = address;
    connect(m_commandSocket, &QUdpSocket::readyRead, this, &EthernetModuleSim::readCommands);
    connect(m_dataSocket, &QUdpSocket::readyRead, this, &EthernetModuleSim::readData);
    return true;
}

bool EthernetModuleSim::open(quint16 dataPort)
{
    m_error.clear();
    // The caller reports the error: a preferred port that is taken is tried before any free one.
    if (!bindSockets(m_address, dataPort))
        return false;
    m_ip = m_address.toString();
    qCDebug(lcSim) << "Ethernet module" << m_behaviour.mac << "on" << m_address.toString() << "data port" << dataPort;
    return true;
}

void EthernetModuleSim::close()
{
    m_link.cancel();
    m_lines.clear();
    delete m_commandSocket;
    m_commandSocket = nullptr;
    delete m_dataSocket;
    m_dataSocket = nullptr;
}

QByteArray EthernetModuleSim::discoveryReply() const
{
    const Behaviour &b = m_behaviour;
    QString status = b.statusOverride;
    if (status.isEmpty())
        status = QStringLiteral("V1") + b.statusFlag3 + QLatin1Char(m_dhcp ? 'I' : 'M') + b.statusFlag5;
    const QString text = QLatin1Char('A') + b.mac + QLatin1Char('/') + QString::number(dataPort()) + QLatin1Char('/')
        + status + QStringLiteral("/0/") + b.owner + QLatin1Char('/') + b.device;
    return text.toLatin1();
}

void EthernetModuleSim::readCommands()
{
    while (m_commandSocket && m_commandSocket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_commandSocket->receiveDatagram();
        handleCommand(datagram.data(), datagram.senderAddress(), quint16(datagram.senderPort()));
    }
}

void EthernetModuleSim::handleCommand(const QByteArray &datagram, const QHostAddress &from, quint16 fromPort)
{
    if (m_rebooting || !m_commandSocket)
        return;
    heard.append(datagram);
    const QByteArray reply = answer(datagram);
    qCDebug(lcSim) << "module" << m_behaviour.mac << "heard" << datagram << "answers" << reply;
    if (!reply.isEmpty() && !m_behaviour.silentToCommands)
        m_commandSocket->writeDatagram(reply, from, fromPort);
    if (datagram == "E" && reply == kAccept)
        reboot();
}

QByteArray EthernetModuleSim::answer(const QByteArray &command)
{
    Behaviour &b = m_behaviour;
    if (command == "X")
        return discoveryReply();
    if (command.startsWith('W')) {
        // Every module hears the choice; only the one named answers, the others step back.
        m_selected = QString::fromLatin1(command.mid(1)).compare(b.mac, Qt::CaseInsensitive) == 0;
        return m_selected ? kAccept : QByteArray();
    }
    if (!m_selected)
        return {};
    if (b.refused.contains(command))
        return kRefuse;
    if (command == "L") {
        m_loggedIn = true;
        return b.loginReply;
    }
    if (command == "B") {
        ++m_ledFlashes;
        return kAccept;
    }
    if (!m_loggedIn)
        return kRefuse;
    if (command == "GIP")
        return "A" + m_ip.toLatin1();
    if (command == "E")
        return kAccept;
    const QByteArray word = command.left(3);
    const QByteArray value = command.mid(3);
    if (kSerialCommands.contains(word) && value.size() == 1 && std::isdigit(uchar(value.at(0)))) {
        m_serial.insert(word, value);
        return kAccept;
    }
    if (word == "SON") {
        b.owner = QString::fromLatin1(value.left(kNameLength));
        return kAccept;
    }
    if (word == "SDN") {
        b.device = QString::fromLatin1(value.left(kNameLength));
        return kAccept;
    }
    if (word == "SIP") {
        const QHostAddress address(QString::fromLatin1(value));
        if (address.protocol() != QAbstractSocket::IPv4Protocol || value.count('.') != 3)
            return kRefuse;
        m_pendingIp = address.toString();
        return kAccept;
    }
    if (command == "SDH1" || command == "SDH0") {
        m_pendingDhcp = command == "SDH1";
        return kAccept;
    }
    return kRefuse;
}

void EthernetModuleSim::reboot()
{
    // The module restarts: it forgets who chose it and who logged in, and is deaf meanwhile.
    m_rebooting = true;
    m_selected = false;
    m_loggedIn = false;
    m_link.cancel();
    m_lines.clear();
    systemClock().schedule(m_behaviour.rebootMs, this, [this] {
        m_rebooting = false;
        m_dhcp = m_pendingDhcp;
        if (!m_pendingIp.isEmpty() && !m_dhcp) {
            const QHostAddress address(m_pendingIp);
            m_ip = m_pendingIp;
            if (address != m_address) {
                if (isLoopback(address) && bindSockets(address, dataPort()))
                    qCDebug(lcSim) << "Ethernet module" << m_behaviour.mac << "now on" << m_ip;
                else
                    qCDebug(lcSim) << "Ethernet module" << m_behaviour.mac << "keeps" << m_address.toString()
                                   << "instead of" << m_ip;
            }
        }
        // Datagrams that came while the module was down were never heard.
        for (QUdpSocket *socket : {m_commandSocket, m_dataSocket}) {
            while (socket && socket->hasPendingDatagrams())
                socket->receiveDatagram();
        }
    });
}

void EthernetModuleSim::readData()
{
    while (m_dataSocket && m_dataSocket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_dataSocket->receiveDatagram();
        if (m_rebooting)
            continue;
        m_dataPeer = datagram.senderAddress();
        m_dataPeerPort = quint16(datagram.senderPort());
        for (const QByteArray &line : m_lines.feed(datagram.data())) {
            dataHeard.append(line);
            m_link.answer(line);
            if (!m_dataSocket)
                return;
        }
    }
}
