#include "instrument/ethernet/EthernetModuleLink.h"

#include "instrument/Logging.h"
#include "platform/Clock.h"
#include "platform/Settings.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QScopeGuard>

#include <limits>

namespace {

/// The port number at the start of a text, as the module writes it: blanks, then digits; anything
/// after the digits is ignored. A text without digits, or a number no port can have, is 0.
int leadingNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    qint64 value = 0;
    const qsizetype start = i;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            return 0;
        ++i;
    }
    return i == start ? 0 : int(value);
}

QString fixed(const QString &text, int length)
{
    return EthernetModuleRecord::fixedLength(text, length);
}

} // namespace

EthernetModuleLink::EthernetModuleLink()
    : m_socket("Ethernet module", [this] {
          // The replies are taken by looking at the socket; the signal only ends a wait early.
          if (m_waiting)
              systemClock().wake();
      })
{
}

EthernetModuleLink::~EthernetModuleLink() = default;

std::optional<EthernetDiscoveryTarget> EthernetModuleLink::target() const
{
    if (m_override)
        return m_override;
    return EthernetDiscoveryTarget::fromSettings();
}

quint16 EthernetModuleLink::localPort() const
{
    return m_socket.localPort();
}

bool EthernetModuleLink::send(const QByteArray &datagram, const EthernetDiscoveryTarget &to)
{
    if (!EthernetDiscoveryTarget::mayReach(to.address)) {
        qCWarning(lcInstrument) << "not sending to" << to.toString() << ": only loopback addresses may be reached";
        return false;
    }
    qCDebug(lcInstrument).noquote() << "module send" << to.toString() << visibleWireText(datagram);
    const qint64 written = m_socket->writeDatagram(datagram, to.address, to.port);
    systemClock().noteSent();
    if (written != datagram.size()) {
        qCWarning(lcInstrument) << "Ethernet module send to" << to.toString() << "failed:" << m_socket->errorString();
        return false;
    }
    return true;
}

bool EthernetModuleLink::waitForDatagram(int timeoutMs)
{
    Clock &clock = systemClock();
    const qint64 deadline = clock.nowMs() + timeoutMs;
    m_waiting = true;
    const auto done = qScopeGuard([this] { m_waiting = false; });
    for (;;) {
        if (m_socket->hasPendingDatagrams())
            return true;
        const qint64 now = clock.nowMs();
        if (now >= deadline)
            return false;
        // The signal may not come again for a datagram behind one nobody read yet: look anyway.
        clock.waitUntil(qMin(deadline, now + 50));
    }
}

QByteArray EthernetModuleLink::readDatagram(QHostAddress *sender)
{
    const QNetworkDatagram datagram = m_socket->receiveDatagram();
    if (sender)
        *sender = datagram.senderAddress();
    qCDebug(lcInstrument).noquote() << "module recv" << datagram.senderAddress().toString()
                                    << visibleWireText(datagram.data().left(200));
    return datagram.data();
}

void EthernetModuleLink::discardWaiting()
{
    for (int n = 0; n < kMaxDiscoveryDatagrams && m_socket->hasPendingDatagrams(); ++n)
        readDatagram();
}

bool EthernetModuleLink::parseDiscoveryReply(const QByteArray &datagram, const QHostAddress &sender,
                                             EthernetModuleRecord *record)
{
    if (!datagram.startsWith('A'))
        return false;
    const QString text = QString::fromLatin1(datagram);
    bool ok = false;
    *record = EthernetModuleRecord();
    record->EchoReply = fixed(text, EthernetModuleRecord::kReplyLength);
    const QHostAddress plain(sender.toIPv4Address());
    record->IP = fixed(plain.toString(), EthernetModuleRecord::kIpLength);

    // "A" MAC "/" port "/" status "/" (skipped) "/" owner "/" device
    const qsizetype p1 = text.indexOf(QLatin1Char('/'));
    if (p1 < 0)
        return false;
    record->MAC = fixed(text.mid(1, p1 - 1), EthernetModuleRecord::kMacLength);
    ok = true;
    const qsizetype p2 = text.indexOf(QLatin1Char('/'), p1 + 1);
    if (p2 < 0)
        return ok;
    record->Port = leadingNumber(text.mid(p1 + 1, p2 - p1 - 1));
    // The 3rd, 4th and 5th characters of the status field.
    record->StatusFlag3 = fixed(text.mid(p2 + 3, 1), EthernetModuleRecord::kFlagLength);
    record->DHCPState = fixed(text.mid(p2 + 4, 1), EthernetModuleRecord::kFlagLength);
    record->StatusFlag5 = fixed(text.mid(p2 + 5, 1), EthernetModuleRecord::kFlagLength);
    // The separator after the status field is looked for behind its fifth character.
    const qsizetype p3 = text.indexOf(QLatin1Char('/'), p2 + 5);
    const qsizetype p4 = p3 < 0 ? -1 : text.indexOf(QLatin1Char('/'), p3 + 1);
    const qsizetype p5 = p4 < 0 ? -1 : text.indexOf(QLatin1Char('/'), p4 + 1);
    if (p5 >= 0) {
        record->OwnerName = fixed(text.mid(p4 + 1, p5 - p4 - 1), EthernetModuleRecord::kNameLength);
        record->DeviceName = fixed(text.mid(p5 + 1), EthernetModuleRecord::kNameLength);
    }
    return ok;
}

bool EthernetModuleLink::FindEthernetModules()
{
    const std::optional<EthernetDiscoveryTarget> to = target();
    if (!to) {
        qCWarning(lcInstrument) << "the discovery target" << Settings::value(SettingsKey::EthernetDiscovery)
                                << "is not ADDRESS[:PORT]; nothing sent";
        return false;
    }
    if (m_waiting || !m_socket.ensure())
        return false;
    // A late answer to an earlier command is not a module announcing itself.
    discardWaiting();
    if (!send(QByteArrayLiteral("X"), *to))
        return false;
    if (!waitForDatagram(kReplyWaitMs))
        return false;

    // Modules answer one after the other; take replies while they keep coming close together,
    // but never for longer than one more reply wait.
    Clock &clock = systemClock();
    const qint64 gatherEnd = clock.nowMs() + kReplyWaitMs;
    QList<EthernetModuleRecord> found;
    bool any = false;
    int read = 0;
    for (;;) {
        while (read < kMaxDiscoveryDatagrams && m_socket->hasPendingDatagrams()) {
            ++read;
            QHostAddress sender;
            const QByteArray datagram = readDatagram(&sender);
            if (!datagram.startsWith('A') || found.size() >= kMaxModules)
                continue;
            EthernetModuleRecord record;
            if (parseDiscoveryReply(datagram, sender, &record))
                any = true;
            found.append(record);
        }
        const qint64 left = gatherEnd - clock.nowMs();
        if (read >= kMaxDiscoveryDatagrams || left <= 0 || !waitForDatagram(int(qMin<qint64>(left, kDiscoveryQuietMs))))
            break;
    }
    modules = found;
    return any;
}

QString EthernetModuleLink::ModuleCommand(const QString &command)
{
    m_lastAnswered = false;
    const QString mac = selectedModuleMac.trimmed();
    if (mac.isEmpty())
        return {};
    const std::optional<EthernetDiscoveryTarget> to = target();
    if (!to || m_waiting || !m_socket.ensure())
        return {};
    // A datagram left over (a late discovery reply) must not pass for this module's answer.
    discardWaiting();

    QString text = command;
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    if (!send(QByteArrayLiteral("W") + mac.toLatin1(), *to) || !waitForDatagram(kReplyWaitMs))
        return {};
    if (!readDatagram().startsWith('A')) {
        m_lastAnswered = true;
        return {};
    }
    if (!send(text.toLatin1(), *to) || !waitForDatagram(kReplyWaitMs))
        return {};
    const QByteArray reply = readDatagram();
    m_lastAnswered = true;
    return reply.startsWith('A') ? QString::fromLatin1(reply) : QString();
}

QHostAddress EthernetModuleLink::localAddress() const
{
    // Connecting a UDP socket sends nothing; it only makes the system choose the local address
    // of the route towards the target.
    if (const std::optional<EthernetDiscoveryTarget> to = target()) {
        QUdpSocket probe;
        probe.connectToHost(to->address, to->port);
        const QHostAddress local = probe.localAddress();
        probe.abort();
        if (local.protocol() == QAbstractSocket::IPv4Protocol && local != QHostAddress::AnyIPv4)
            return local;
    }
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning)
            || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return entry.ip();
        }
    }
    return {};
}
