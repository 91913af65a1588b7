#include "instrument/ethernet/EthernetModuleLink.h"

#include "instrument/Logging.h"
#include "platform/Clock.h"
#include "platform/Settings.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QScopeGuard>

#include <algorithm>
#include <limits>
#include <vector>

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

bool EthernetModuleLink::searchesEveryInterface() const
{
    return !m_override && Settings::value(SettingsKey::EthernetDiscovery).trimmed().isEmpty();
}

void EthernetModuleLink::setInterfaceProvider(BroadcastInterfaceProvider provider, quint16 port)
{
    m_interfaces = std::move(provider);
    m_interfacePort = port;
}

QList<EthernetModuleLink::Route> EthernetModuleLink::routes() const
{
    QList<Route> list;
    if (!searchesEveryInterface()) {
        if (const std::optional<EthernetDiscoveryTarget> to = target())
            list.append({*to, to->toString()});
        return list;
    }
    for (const BroadcastInterface &nic : m_interfaces()) {
        const EthernetDiscoveryTarget to{nic.broadcast, m_interfacePort};
        // Two addresses of one interface on the same network share a broadcast address.
        const bool known =
            std::any_of(list.cbegin(), list.cend(), [&](const Route &route) { return route.target == to; });
        if (!known)
            list.append({to, nic.label()});
    }
    return list;
}

quint16 EthernetModuleLink::localPort() const
{
    return m_socket.localPort();
}

bool EthernetModuleLink::send(const QByteArray &datagram, const EthernetDiscoveryTarget &to, QUdpSocket *socket)
{
    if (!socket)
        socket = m_socket.get();
    if (!EthernetDiscoveryTarget::mayReach(to.address)) {
        qCWarning(lcInstrument) << "not sending to" << to.toString() << ": only loopback addresses may be reached";
        return false;
    }
    qCDebug(lcInstrument).noquote() << "module send" << to.toString() << visibleWireText(datagram);
    const qint64 written = socket->writeDatagram(datagram, to.address, to.port);
    systemClock().noteSent();
    if (written != datagram.size()) {
        qCWarning(lcInstrument) << "Ethernet module send to" << to.toString() << "failed:" << socket->errorString();
        return false;
    }
    return true;
}

bool EthernetModuleLink::waitForDatagram(int timeoutMs, const QList<QUdpSocket *> &sockets)
{
    const QList<QUdpSocket *> watched = sockets.isEmpty() ? QList<QUdpSocket *>{m_socket.get()} : sockets;
    Clock &clock = systemClock();
    const qint64 deadline = clock.nowMs() + timeoutMs;
    m_waiting = true;
    const auto done = qScopeGuard([this] { m_waiting = false; });
    for (;;) {
        if (std::any_of(watched.cbegin(), watched.cend(), [](QUdpSocket *s) { return s->hasPendingDatagrams(); }))
            return true;
        const qint64 now = clock.nowMs();
        if (now >= deadline)
            return false;
        // The signal may not come again for a datagram behind one nobody read yet: look anyway.
        clock.waitUntil(qMin(deadline, now + 50));
    }
}

QByteArray EthernetModuleLink::readDatagram(QHostAddress *sender, QUdpSocket *socket)
{
    const QNetworkDatagram datagram = (socket ? socket : m_socket.get())->receiveDatagram();
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
    const QList<Route> list = routes();
    if (!searchesEveryInterface() && list.isEmpty()) {
        m_searched.clear();
        qCWarning(lcInstrument) << "the discovery target" << Settings::value(SettingsKey::EthernetDiscovery)
                                << "is not ADDRESS[:PORT]; nothing sent";
        return false;
    }
    QList<EthernetModuleRecord> found;
    bool heard = false;
    const bool any = discover(list, &found, &heard);
    if (heard)
        modules = found;
    return any;
}

bool EthernetModuleLink::askModuleAt(const EthernetDiscoveryTarget &address)
{
    QList<EthernetModuleRecord> found;
    bool heard = false;
    if (!discover({{address, address.toString()}}, &found, &heard))
        return false;
    for (const EthernetModuleRecord &record : std::as_const(found)) {
        const auto same = std::find_if(modules.begin(), modules.end(), [&](const EthernetModuleRecord &listed) {
            return listed.macText() == record.macText() && listed.ipText() == record.ipText();
        });
        if (same != modules.end())
            *same = record;
        else if (modules.size() < kMaxModules)
            modules.append(record);
    }
    return true;
}

bool EthernetModuleLink::discover(const QList<Route> &list, QList<EthernetModuleRecord> *found, bool *heard)
{
    QStringList labels;
    for (const Route &route : list)
        labels.append(route.label);
    m_searched =
        labels.isEmpty() ? QStringLiteral("no interface that can broadcast") : labels.join(QLatin1String(", "));
    if (list.isEmpty()) {
        qCWarning(lcInstrument) << "no network interface can broadcast; nothing sent";
        return false;
    }
    if (m_waiting || !m_socket.ensure())
        return false;
    // A late answer to an earlier command is not a module announcing itself.
    discardWaiting();

    // With one route the command socket asks; with several each has a socket of its own, so a
    // reply says by the socket it arrives on which interface it came through.
    std::vector<std::unique_ptr<BoundUdpSocket>> own;
    QList<QUdpSocket *> sockets;
    if (list.size() == 1) {
        sockets.append(m_socket.get());
    } else {
        for (qsizetype i = 0; i < list.size(); ++i) {
            own.push_back(std::make_unique<BoundUdpSocket>("Ethernet discovery", [this] {
                if (m_waiting)
                    systemClock().wake();
            }));
            if (!own.back()->ensure())
                return false;
            sockets.append(own.back()->get());
        }
    }
    bool sent = false;
    for (qsizetype i = 0; i < list.size(); ++i)
        sent = send(QByteArrayLiteral("X"), list.at(i).target, sockets.at(i)) || sent;
    if (!sent || !waitForDatagram(kReplyWaitMs, sockets))
        return false;
    *heard = true;

    // Modules answer one after the other; take replies while they keep coming close together,
    // but never for longer than one more reply wait.
    Clock &clock = systemClock();
    const qint64 gatherEnd = clock.nowMs() + kReplyWaitMs;
    bool any = false;
    int read = 0;
    for (;;) {
        for (qsizetype i = 0; i < sockets.size(); ++i) {
            while (read < kMaxDiscoveryDatagrams && sockets.at(i)->hasPendingDatagrams()) {
                ++read;
                QHostAddress sender;
                const QByteArray datagram = readDatagram(&sender, sockets.at(i));
                if (!datagram.startsWith('A') || found->size() >= kMaxModules)
                    continue;
                EthernetModuleRecord record;
                if (parseDiscoveryReply(datagram, sender, &record))
                    any = true;
                record.foundThrough = list.at(i).target;
                // A module on a network two interfaces share answers each of their broadcasts.
                const bool listed = std::any_of(found->cbegin(), found->cend(), [&](const EthernetModuleRecord &r) {
                    return r.macText() == record.macText() && r.ipText() == record.ipText();
                });
                if (!listed)
                    found->append(record);
            }
        }
        const qint64 left = gatherEnd - clock.nowMs();
        if (read >= kMaxDiscoveryDatagrams || left <= 0
            || !waitForDatagram(int(qMin<qint64>(left, kDiscoveryQuietMs)), sockets))
            break;
    }
    return any;
}

std::optional<EthernetDiscoveryTarget> EthernetModuleLink::commandTarget() const
{
    if (!searchesEveryInterface())
        return target();
    const QString mac = selectedModuleMac.trimmed();
    if (selectedModuleIndex >= 0 && selectedModuleIndex < modules.size()
        && modules.at(selectedModuleIndex).macText().compare(mac, Qt::CaseInsensitive) == 0)
        return modules.at(selectedModuleIndex).foundThrough;
    for (const EthernetModuleRecord &module : modules) {
        if (module.macText().compare(mac, Qt::CaseInsensitive) == 0 && module.foundThrough)
            return module.foundThrough;
    }
    return std::nullopt;
}

std::optional<EthernetDiscoveryTarget> EthernetModuleLink::findCommandRoute(const QByteArray &select)
{
    // One route at a time: the module must hear its selection once, and the route it answers on
    // is the one its command takes.
    for (const Route &route : routes()) {
        discardWaiting();
        if (!send(select, route.target) || !waitForDatagram(kReplyWaitMs))
            continue;
        return route.target;
    }
    return std::nullopt;
}

QString EthernetModuleLink::ModuleCommand(const QString &command)
{
    m_lastAnswered = false;
    const QString mac = selectedModuleMac.trimmed();
    if (mac.isEmpty())
        return {};
    std::optional<EthernetDiscoveryTarget> to = commandTarget();
    const bool routeKnown = to.has_value() || !searchesEveryInterface();
    if ((!to && routeKnown) || m_waiting || !m_socket.ensure())
        return {};
    // A datagram left over (a late discovery reply) must not pass for this module's answer.
    discardWaiting();

    QString text = command;
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    const QByteArray select = QByteArrayLiteral("W") + mac.toLatin1();
    if (!routeKnown)
        to = findCommandRoute(select);
    else if (!send(select, *to) || !waitForDatagram(kReplyWaitMs))
        to.reset();
    if (!to)
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
    if (const std::optional<EthernetDiscoveryTarget> to = searchesEveryInterface() ? commandTarget() : target()) {
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
