#include "sim/ethernet/EthernetFront.h"

#include "sim/SimLog.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {
// The modules take the loopback addresses after the discovery target's: 127.0.0.2 upwards.
constexpr int kMaxModules = 250;
} // namespace

EthernetFront::EthernetFront(VirtualCalibrator &calibrator, QObject *parent, const QHostAddress &hub)
    : QObject(parent), m_calibrator(calibrator), m_hubAddress(hub)
{
}

EthernetFront::~EthernetFront()
{
    close();
}

EthernetModuleSim &EthernetFront::addModule()
{
    const int n = int(qMin<qsizetype>(m_modules.size(), kMaxModules - 1));
    auto *module =
        new EthernetModuleSim(m_calibrator, QHostAddress(m_hubAddress.toIPv4Address() + 1 + quint32(n)), this);
    module->behaviour().mac = QStringLiteral("02-00-00-00-00-%1").arg(n + 1, 2, 16, QLatin1Char('0')).toUpper();
    m_modules.append(module);
    return *module;
}

bool EthernetFront::open(quint16 discoveryPort, quint16 dataPort)
{
    close();
    m_error.clear();
    if (m_modules.isEmpty())
        addModule();
    m_hub = new QUdpSocket(this);
    if (!m_hub->bind(m_hubAddress, discoveryPort)) {
        m_error = QStringLiteral("cannot bind the discovery target %1:%2: %3")
                      .arg(m_hubAddress.toString())
                      .arg(discoveryPort)
                      .arg(m_hub->errorString());
        close();
        return false;
    }
    connect(m_hub, &QUdpSocket::readyRead, this, &EthernetFront::fanOut);
    for (EthernetModuleSim *module : m_modules) {
        if (!module->open(dataPort)) {
            m_error = module->errorString();
            close();
            return false;
        }
    }
    qCDebug(lcSim) << "Ethernet discovery target" << discoveryTarget();
    return true;
}

void EthernetFront::close()
{
    delete m_hub;
    m_hub = nullptr;
    for (EthernetModuleSim *module : m_modules)
        module->close();
}

quint16 EthernetFront::discoveryPort() const
{
    return m_hub ? m_hub->localPort() : 0;
}

QString EthernetFront::discoveryTarget() const
{
    return QStringLiteral("%1:%2").arg(m_hubAddress.toString()).arg(discoveryPort());
}

void EthernetFront::fanOut()
{
    while (m_hub && m_hub->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_hub->receiveDatagram();
        // Each module answers the sender itself, from its own address, as on a real network.
        for (EthernetModuleSim *module : m_modules)
            module->handleCommand(datagram.data(), datagram.senderAddress(), quint16(datagram.senderPort()));
    }
}
