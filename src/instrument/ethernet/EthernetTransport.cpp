#include "instrument/ethernet/EthernetTransport.h"

#include "instrument/InstrumentContext.h"
#include "instrument/Logging.h"
#include "instrument/TransportState.h"
#include "instrument/ethernet/EthernetDiscoveryTarget.h"
#include "instrument/ethernet/EthernetModuleRecord.h"
#include "platform/Clock.h"

#include <QNetworkDatagram>
#include <QScopeGuard>

EthernetTransport::EthernetTransport(InstrumentContext &context)
    : m_state(context.state()), m_socket("Ethernet data", [this] {
          takeDatagrams();
          if (m_waiting)
              systemClock().wake();
      })
{
}

EthernetTransport::~EthernetTransport() = default;

bool EthernetTransport::open(const Endpoint &endpoint, QString *error)
{
    Q_UNUSED(error);
    m_ip = endpoint.host().trimmed();
    m_port = endpoint.port();
    return true;
}

void EthernetTransport::close()
{
    m_socket.reset();
}

QString EthernetTransport::descriptionLine() const
{
    return QLatin1String("Ethernet \r\n") + EthernetModuleRecord::fixedLength(m_ip, EthernetModuleRecord::kIpLength);
}

quint16 EthernetTransport::localPort() const
{
    return m_socket.localPort();
}

void EthernetTransport::takeDatagrams()
{
    if (!m_socket)
        return;
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        const QByteArray data = datagram.data();
        if (!datagram.senderAddress().isEqual(m_remoteHost, QHostAddress::ConvertV4MappedToIPv4)
            || datagram.senderPort() != m_remotePort) {
            qCDebug(lcInstrument).noquote() << "dropped datagram from" << datagram.senderAddress().toString()
                                            << datagram.senderPort() << visibleWireText(data.left(80));
            continue;
        }
        qCDebug(lcInstrument).noquote() << "recv" << visibleWireText(data);
        if (m_overflow)
            continue;
        if (m_buffer.size() + data.size() > TransportState::kMaxReplyBytes) {
            m_buffer.clear();
            m_overflow = true;
            continue;
        }
        m_buffer += data;
    }
}

bool EthernetTransport::replyComplete(const QString &reply, int packetEndCondition)
{
    if (packetEndCondition == 0)
        return reply.contains(QLatin1Char('\r'));
    if (packetEndCondition != 1)
        return false;
    // The status line: "*", a digit and CR. A "*" whose digit or CR is still on its way (the
    // rest comes in the next datagram) does not end the reply yet.
    for (qsizetype star = reply.indexOf(QLatin1Char('*')); star >= 0;
         star = reply.indexOf(QLatin1Char('*'), star + 1)) {
        if (star + 2 < reply.size() && reply.at(star + 1).isDigit() && reply.at(star + 2) == QLatin1Char('\r'))
            return true;
    }
    return false;
}

ExchangeReply EthernetTransport::exchange(const ExchangeRequest &request)
{
    const QHostAddress host(m_ip);
    if (m_ip.isEmpty() || m_port < 1 || m_port > 65535 || host.isNull() || !EthernetDiscoveryTarget::mayReach(host))
        return ExchangeReply::ended(ExchangeOutcome::NotConnected);
    auto release = qScopeGuard([this] { m_waiting = false; });
    if (!m_socket.ensure())
        return ExchangeReply::ended(ExchangeOutcome::OpenFailed);
    m_remoteHost = host;
    m_remotePort = quint16(m_port);

    Clock &clock = systemClock();
    m_state.paceBeforeSend();

    // Whatever an abandoned exchange left behind is not this command's answer.
    takeDatagrams();
    m_buffer.clear();
    m_overflow = false;

    const QByteArray wire = request.command.toLatin1() + '\r';
    qCDebug(lcInstrument).noquote() << "send" << visibleWireText(wire);
    const qint64 written = m_socket->writeDatagram(wire, m_remoteHost, m_remotePort);
    m_state.markSent();
    if (written != wire.size()) {
        qCWarning(lcInstrument) << "Ethernet send to" << m_ip << "failed:" << m_socket->errorString();
        return ExchangeReply::ended(ExchangeOutcome::LinkFailed);
    }
    if (!request.awaitReply)
        return ExchangeReply::ended(ExchangeOutcome::NotAwaited);

    m_waiting = true;
    const qint64 timeoutMs = qint64(qMax(0, request.timeoutSeconds)) * 1000;
    qint64 deadline = clock.nowMs() + timeoutMs;
    QString reply;
    for (;;) {
        takeDatagrams();
        if (!m_buffer.isEmpty()) {
            reply += QString::fromLatin1(m_buffer);
            m_buffer.clear();
            m_state.showCommActivity(reply);
            deadline = clock.nowMs() + timeoutMs; // the time-out counts from the last datagram
        }
        if (m_overflow || reply.size() > TransportState::kMaxReplyBytes)
            return ExchangeReply::ended(ExchangeOutcome::Overflow);
        if (replyComplete(reply, request.endCondition))
            return ExchangeReply::answered(reply);
        const qint64 now = clock.nowMs();
        if (now >= deadline)
            return ExchangeReply::ended(ExchangeOutcome::TimedOut);
        clock.waitUntil(qMin(deadline, now + TransportState::kActivityStepMs));
        m_state.showCommActivity(reply);
    }
}
