#include "locate/SerialSearch.h"

#include "instrument/CommandHelpers.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentContext.h"
#include "instrument/serial/PortTable.h"
#include "instrument/serial/SerialPortControl.h"
#include "locate/IdentifyProbe.h"
#include "locate/LocateLogging.h"
#include "locate/ProbeModel.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

#include <QCoreApplication>
#include <QScopeGuard>

#include <memory>
#include <vector>

SerialSearch::SerialSearch(InstrumentSession &session, QObject *parent) : QObject(parent), m_session(session)
{
    qRegisterMetaType<PortListing>();
}

SerialSearch::~SerialSearch() = default;

QList<int> SerialSearch::allPorts()
{
    QList<int> ports;
    for (int n = PortTable::kFirstPort; n <= PortTable::kLastPort; ++n)
        ports << n;
    return ports;
}

QString SerialSearch::portEntry(int portNumber)
{
    return QStringLiteral("COM") + QString::number(portNumber);
}

int SerialSearch::portFromEntry(const QString &entry)
{
    // The leading digits of the text after "COM" (what the entry's number reads as).
    const QString rest = entry.mid(3).trimmed();
    qsizetype digits = 0;
    while (digits < rest.size() && digits < 9 && rest.at(digits).isDigit())
        ++digits;
    return digits ? rest.left(digits).toInt() : 0;
}

PortListing SerialSearch::listPorts(const QList<int> &candidates)
{
    SerialPortControl *comm = m_session.context().dvm1Comm();
    // Our own open port would not open a second time and so would go missing from the list.
    comm->close();

    PortListing listing;
    listing.instrumentPort = Settings::intValue(SettingsKey::CommPort);
    listing.scannerPort = Settings::intValue(SettingsKey::ScannerCommPort);
    m_session.context().state().abortComms = false;
    // An adapter plugged in since the last look gets a number now.
    m_session.context().portTable().refresh();

    // A port is listed when it opens and closes cleanly; all are tried at once.
    QStringList devices;
    for (int port : candidates)
        devices << m_session.context().portTable().devicePath(port);
    const QList<bool> opens = SerialPortControl::whichOpen(devices);
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        if (!opens.at(i))
            continue;
        const int port = candidates.at(i);
        listing.ports << port;
        if (port == listing.instrumentPort)
            listing.instrumentIndex = int(listing.ports.size()) - 1;
        if (port == listing.scannerPort)
            listing.scannerIndex = int(listing.ports.size()) - 1;
    }
    comm->setPortNumber(listing.instrumentPort);
    qCDebug(lcLocate) << "ports that open:" << listing.ports;
    emit portsListed(listing);
    return listing;
}

bool SerialSearch::searchPorts(const QList<int> &ports)
{
    // A second search would fight the first for the same ports.
    if (m_searching)
        return false;
    m_searching = true;
    auto release = qScopeGuard([this] { m_searching = false; });
    emit searchStarted();

    const std::unique_ptr<IDVM> probing = CreateDVM(kProbeModel, m_session.context());
    m_session.context().state().abortComms = false;
    // The probes open the ports themselves; the serial control must not hold one of them.
    m_session.context().dvm1Comm()->close();

    Clock &clock = systemClock();
    std::vector<std::unique_ptr<IdentifyProbe>> probes;
    for (int port : ports) {
        auto probe = std::make_unique<IdentifyProbe>(&m_session.context().portTable(), port);
        connect(probe.get(), &IdentifyProbe::finished, this, [&clock] { clock.wake(); });
        probes.push_back(std::move(probe));
    }
    for (const auto &probe : probes)
        probe->start();

    // Report the ports in list order: a port's lines go out once every port before it is settled.
    size_t head = 0;
    bool announced = false;
    int foundPort = 0;
    QString foundReply;
    for (;;) {
        while (head < probes.size()) {
            IdentifyProbe &probe = *probes[head];
            if (!announced) {
                emit detail(QStringLiteral("Checking Port ") + QString::number(probe.portNumber()));
                announced = true;
            }
            if (!probe.isFinished())
                break;
            const QString reply = trimBlanks(probe.reply());
            if (probing->CheckIdentity(reply)) {
                foundPort = probe.portNumber();
                foundReply = reply;
                break;
            }
            emit detail(reply.isEmpty() ? QStringLiteral("No Reply") : QStringLiteral("Reply: ") + reply);
            ++head;
            announced = false;
        }
        if (foundPort || head >= probes.size())
            break;
        clock.waitUntil(clock.nowMs() + TransportState::kActivityStepMs);
        m_session.context().state().showCommActivity(QString());
    }
    // Ports after the winner are no longer of interest.
    for (const auto &probe : probes)
        probe->cancel();
    probes.clear();

    if (foundPort) {
        adopt(foundPort, foundReply);
    } else {
        m_session.context().dvm1Comm()->setPortNumber(Settings::intValue(SettingsKey::CommPort));
        emit detail(kNotFound);
    }
    emit searchFinished(foundPort != 0);
    return foundPort != 0;
}

void SerialSearch::adopt(int portNumber, const QString &reply)
{
    // The reply keeps its CR, which puts "On port" on a line of its own.
    const QString text = QStringLiteral("Found ") + reply + QStringLiteral("On port ") + QString::number(portNumber);
    m_foundText += text + QLatin1String("\r\n");
    m_foundPort = portNumber;
    emit detail(text);

    const Endpoint port = Endpoint::serialPort(portNumber);
    if (!m_session.saveConnection(port))
        qCWarning(lcLocate) << "the settings for port" << portNumber << "could not be stored";
    // The port stays closed: the transport opens it (with its lone CR) at the next command.
    if (m_session.dvm())
        m_session.connect(port);
    else
        m_session.context().dvm1Comm()->setPortNumber(portNumber);
}

bool SerialSearch::locateAll(const QList<int> &candidates)
{
    if (m_searching)
        return false;
    m_foundText.clear();
    emit detail(kCheckingSerialPorts);
    const PortListing listing = listPorts(candidates);
    QCoreApplication::processEvents();
    searchPorts(listing.ports);
    return !m_foundText.isEmpty();
}
