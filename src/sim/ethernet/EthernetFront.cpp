#include "sim/ethernet/EthernetFront.h"

#include "sim/SimLog.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {
// Loopback addresses the modules take: 127.0.0.2 upwards, 127.0.0.1 being the discovery target.
constexpr quint32 kFirstModuleAddress = (127u << 24) | 2u;
constexpr int kMaxModules = 250;
} // namespace

EthernetFront::EthernetFront(VirtualCalibrator &calibrator, QObject *parent)
    : QObject(parent), m_calibrator(calibrator)
{
}

EthernetFront::~EthernetFront()
{
    close();
}

EthernetModuleSim &EthernetFront::addModule()
{
    const int n = int(qMin<qsizetype>(m_modules.size(), kMaxModules - 1));
    auto *module = new EthernetModuleSim(m_calibrator, QHostAddress(kFirstModuleAddress + quint32(n)), this);
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
    if (!m_hub->bind(QHostAddress(QHostAddress::LocalHost), discoveryPort)) {
        m_error = QStringLiteral("cannot bind the discovery target 127.0.0.1:%1: %2")
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
    return QStringLiteral("127.0.0.1:%1").arg(discoveryPort());
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
