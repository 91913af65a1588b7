#include "locate/InterfaceOptions.h"

#include "instrument/IDVM.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"

namespace {

const DriverFamily *familyOf(const IDVM *dvm)
{
    const auto *driver = dynamic_cast<const InstrumentDriver *>(dvm);
    return driver ? &driver->family() : nullptr;
}

} // namespace

InterfaceOptions::InterfaceOptions(InstrumentSession &session) : m_session(session) {}

const QList<InterfaceOptions::Model> &InterfaceOptions::models()
{
    static const QList<Model> list = {
        {QStringLiteral("5200"), QStringLiteral("5200 Series Calibrator")},
        {QStringLiteral("5600"), QStringLiteral("5600 Calibrator")},
        {QStringLiteral("6400"), QStringLiteral("6481 Reference DMM")},
    };
    return list;
}

int InterfaceOptions::modelIndexFor(const QString &modelString)
{
    // The same order of tests as CreateDVM, so the entry shown is the driver that would be made.
    if (modelString.contains(QLatin1String("6400")))
        return 2;
    if (modelString.contains(QLatin1String("5600")))
        return 1;
    if (modelString.contains(QLatin1String("5200")))
        return 0;
    return 2;
}

InterfaceOptions::Choice InterfaceOptions::stored()
{
    Choice choice;
    choice.interfaceType = m_session.savedInterface() == InterfaceGPIB ? InterfaceGPIB : InterfaceRS232;
    choice.serialPort = Settings::intValue(SettingsKey::CommPort);
    choice.gpibAddress = Settings::value(SettingsKey::GPIBPort).trimmed();
    choice.modelString = models().at(modelIndexFor(Settings::value(SettingsKey::DVM1))).modelString;
    return choice;
}

QList<int> InterfaceOptions::openPorts()
{
    PortTable &table = m_session.context().portTable();
    // An adapter plugged in since the last look gets a number now.
    table.refresh();
    const SerialPortControl *comm = m_session.context().dvm1Comm();
    // Our own open port would refuse a second opening; it is usable, and stays open.
    const auto ownOpenPort = [comm](int n) { return comm->isOpen() && comm->portNumber() == n; };
    QStringList devices;
    for (int n = PortTable::kFirstPort; n <= PortTable::kLastPort; ++n)
        devices << (ownOpenPort(n) ? QString() : table.devicePath(n));
    const QList<bool> opens = SerialPortControl::whichOpen(devices);
    QList<int> ports;
    for (int n = PortTable::kFirstPort; n <= PortTable::kLastPort; ++n) {
        if (ownOpenPort(n) || opens.at(n - PortTable::kFirstPort))
            ports << n;
    }
    return ports;
}

QList<InterfaceOptions::OpenPort> InterfaceOptions::openPortsWithDetails()
{
    QList<OpenPort> ports;
    for (int n : openPorts()) {
        const PortDevice device = PortDevice::describe(m_session.context().portTable().devicePath(n));
        ports.append({n, device, device.details()});
    }
    return ports;
}

InterfaceOptions::Outcome InterfaceOptions::check(const Choice &choice, const QList<int> &openPorts)
{
    if (choice.interfaceType == InterfaceGPIB) {
        bool ok = false;
        const int gpibAddress = choice.gpibAddress.trimmed().toInt(&ok);
        if (!ok || gpibAddress < kFirstGpibAddress || gpibAddress > kLastGpibAddress)
            return Outcome::InvalidGpibAddress;
    } else if (choice.serialPort < PortTable::kFirstPort || choice.serialPort > PortTable::kLastPort
               || !openPorts.contains(choice.serialPort)) {
        return Outcome::InvalidSerialPort;
    }
    return Outcome::Applied;
}

InterfaceOptions::Outcome InterfaceOptions::apply(const Choice &choice, const QList<int> &openPorts)
{
    if (const Outcome wrong = check(choice, openPorts); wrong != Outcome::Applied)
        return wrong;
    const Endpoint endpoint = choice.interfaceType == InterfaceGPIB
        ? Endpoint::gpib(choice.gpibAddress.trimmed().toInt())
        : Endpoint::serialPort(choice.serialPort);
    reconfigure(choice.modelString, endpoint);
    bool saved = m_session.saveConnection(endpoint);
    saved = Settings::setValue(SettingsKey::DVM1, choice.modelString) && saved;
    return saved ? Outcome::Applied : Outcome::SaveFailed;
}

void InterfaceOptions::reconfigure(const QString &modelString, const Endpoint &endpoint)
{
    std::unique_ptr<IDVM> fresh = CreateDVM(modelString, m_session.context());
    // A driver of the same family is pointed elsewhere in place: a window that is waiting on it
    // keeps a living object. Another family needs the new driver.
    const DriverFamily *current = familyOf(m_session.dvm());
    if (!current || current != familyOf(fresh.get()))
        m_session.setDvm(std::move(fresh));
    m_session.connect(endpoint);
}

QString InterfaceOptions::message(Outcome outcome)
{
    switch (outcome) {
    case Outcome::InvalidSerialPort:
        return QStringLiteral("DVM1: Invalid Serial Port");
    case Outcome::InvalidGpibAddress:
        return QStringLiteral("DVM1: Invalid GPIB Address");
    case Outcome::SaveFailed:
        return QStringLiteral("Error Saving Settings");
    case Outcome::Applied:
        break;
    }
    return {};
}

QString InterfaceOptions::portDetails(const QString &devicePath)
{
    return PortDevice::describe(devicePath).details();
}
