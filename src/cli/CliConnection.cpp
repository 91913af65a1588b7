#include "cli/CliConnection.h"

#include "cli/CommandLine.h"
#include "cli/RunContext.h"
#include "instrument/DriverFamily.h"
#include "instrument/IDVM.h"
#include "instrument/ethernet/EthernetSettings.h"
#include "instrument/InstrumentContext.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/InterfaceType.h"
#include "instrument/serial/PortTable.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Settings.h"
#include "sim/PtyFront.h"
#include "sim/VirtualCalibrator.h"
#include "sim/ethernet/EthernetFront.h"
#include "sim/gpib/SimGpibBus.h"

#include <QHostAddress>

#include <array>

namespace {

/// The driver models --model accepts; CreateDVM would take anything and quietly fall back to the
/// DMM driver, which hides a typing error.
const QStringList kDriverModels = {QStringLiteral("5200"), QStringLiteral("5600"), QStringLiteral("6400")};

constexpr int kLastGpibAddress = 30;

struct SimulatedModel
{
    const DriverFamily *family;
    const char *model;
};

/// The built-in calibrator poses as an instrument the chosen driver accepts.
const std::array<SimulatedModel, 3> kSimulatedModels = {{
    {&DVM_CAL_5200, "5241"},
    {&DVM_CAL_5600, "5600"},
    {&DVM_6481, "6481"},
}};

QString simulatedModelFor(const IDVM *dvm)
{
    const auto *driver = dynamic_cast<const InstrumentDriver *>(dvm);
    for (const SimulatedModel &entry : kSimulatedModels) {
        if (driver && &driver->family() == entry.family)
            return QLatin1String(entry.model);
    }
    return QLatin1String(kSimulatedModels.front().model);
}

bool isPortNumber(const QString &text, int *number)
{
    bool ok = false;
    *number = text.toInt(&ok);
    return ok && !text.startsWith(QLatin1Char('+')) && !text.startsWith(QLatin1Char('-'));
}

} // namespace

CliConnection::CliConnection(InstrumentContext &context) : m_context(context) {}

CliConnection::~CliConnection()
{
    // The port goes before the pseudo-terminal it is open on, the bus before its calibrator.
    m_context.dvm1Comm()->close();
    m_front.reset();
    m_ethernetFront.reset();
    if (m_gpibBus)
        m_context.gpib().setBus(nullptr);
    m_gpibBus.reset();
    m_calibrator.reset();
    if (m_scopeChanged)
        Settings::setScope(m_previousScope);
}

QString CliConnection::simulatedScope()
{
    return Settings::applicationTitle() + QStringLiteral(" (simulated)");
}

int CliConnection::setUp(const CommandLine &line, QString *error)
{
    // --simulate with --gpib is one connection: the built-in calibrator on a simulated bus.
    const bool simulatedGpib = line.isSet(CliOptionName::Simulate) && line.isSet(CliOptionName::Gpib);
    QStringList chosen;
    for (const QString &option : {CliOptionName::Port, CliOptionName::Ethernet, CliOptionName::Usb,
                                  CliOptionName::Gpib, CliOptionName::Simulate}) {
        if (line.isSet(option) && !(simulatedGpib && option == CliOptionName::Simulate))
            chosen << QStringLiteral("--") + option;
    }
    if (chosen.size() > 1) {
        *error = QStringLiteral("choose one connection, not %1").arg(chosen.join(QStringLiteral(" and ")));
        return ExitUsage;
    }
    const bool simulate = line.isSet(CliOptionName::Simulate);
    if (simulate) {
        m_previousScope = Settings::scope();
        m_scopeChanged = true;
        Settings::setScope(simulatedScope());
    }

    QString model = Settings::value(SettingsKey::DVM1);
    if (line.isSet(CliOptionName::Model)) {
        model = line.value(CliOptionName::Model);
        if (!kDriverModels.contains(model)) {
            *error = QStringLiteral("--model must be one of %1, not \"%2\"")
                         .arg(kDriverModels.join(QStringLiteral(", ")), model);
            return ExitUsage;
        }
    }
    m_context.setDvm(CreateDVM(model, m_context));

    if (line.isSet(CliOptionName::Port))
        return useSerial(line.value(CliOptionName::Port), error);
    if (line.isSet(CliOptionName::Ethernet))
        return useEthernet(line.value(CliOptionName::Ethernet), error);
    if (line.isSet(CliOptionName::Usb)) {
        useUsb(line.value(CliOptionName::Usb), QString());
        return ExitSuccess;
    }
    if (line.isSet(CliOptionName::Gpib)) {
        const int status = useGpib(line.value(CliOptionName::Gpib), error);
        if (status == ExitSuccess && simulate)
            startSimulatedGpib(line.value(CliOptionName::Gpib).toInt());
        return status;
    }
    if (simulate)
        return startSimulator(error);
    return useSavedSettings(error);
}

int CliConnection::useSerial(const QString &device, QString *error)
{
    PortTable &table = m_context.portTable();
    int number = 0;
    if (isPortNumber(device, &number)) {
        if (number < PortTable::kFirstPort || number > PortTable::kLastPort) {
            *error = QStringLiteral("--port takes a device or a port number from %1 to %2, not %3")
                         .arg(PortTable::kFirstPort)
                         .arg(PortTable::kLastPort)
                         .arg(device);
            return ExitUsage;
        }
    } else {
        number = table.bindDevice(device);
        if (number == 0) {
            *error = QStringLiteral("no port number is free for %1").arg(device);
            return ExitUnreachable;
        }
    }
    SerialPortControl *port = m_context.dvm1Comm();
    port->setPortNumber(number);
    IDVM &dvm = *m_context.dvm();
    dvm.SetCommControl(port);
    dvm.SetInterfaceType(InterfaceRS232);
    const QString path = table.devicePath(number);
    m_description = path.isEmpty() ? QStringLiteral("RS-232 port %1 (no device)").arg(number)
                                   : QStringLiteral("RS-232 port %1 (%2)").arg(number).arg(path);
    return ExitSuccess;
}

int CliConnection::useEthernet(const QString &address, QString *error)
{
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    const QString ip = address.left(colon);
    bool portOk = false;
    const int port = colon < 0 ? 0 : address.mid(colon + 1).toInt(&portOk);
    if (colon < 0 || QHostAddress(ip).protocol() != QAbstractSocket::IPv4Protocol || !portOk || port < 1
        || port > 65535) {
        *error = QStringLiteral("--ethernet needs IP:PORT, such as 192.168.1.20:10001, not \"%1\"").arg(address);
        return ExitUsage;
    }
    m_context.ethernetDevice.IP = EthernetModuleRecord::fixedLength(ip, EthernetModuleRecord::kIpLength);
    m_context.ethernetDevice.Port = port;
    IDVM &dvm = *m_context.dvm();
    dvm.SetEthernetDevice();
    dvm.SetInterfaceType(InterfaceEthernet);
    m_description = QStringLiteral("Ethernet module %1:%2").arg(ip).arg(port);
    return ExitSuccess;
}

int CliConnection::useGpib(const QString &address, QString *error)
{
    bool ok = false;
    const int value = address.toInt(&ok);
    if (!ok || value < 0 || value > kLastGpibAddress) {
        *error = QStringLiteral("--gpib needs an address from 0 to %1, not \"%2\"").arg(kLastGpibAddress).arg(address);
        return ExitUsage;
    }
    IDVM &dvm = *m_context.dvm();
    dvm.SetGPIBAddress(value);
    dvm.SetInterfaceType(InterfaceGPIB);
    m_description = QStringLiteral("GPIB address %1").arg(value);
    return ExitSuccess;
}

void CliConnection::useUsb(const QString &serialNumber, const QString &name)
{
    m_context.usbDevice.SerialNumber = serialNumber;
    m_context.usbDevice.Name = name;
    IDVM &dvm = *m_context.dvm();
    dvm.SetUSBDevice();
    dvm.SetInterfaceType(InterfaceUSB);
    m_description = QStringLiteral("USB bridge %1").arg(serialNumber.isEmpty() ? QStringLiteral("(none chosen)") : serialNumber);
}

int CliConnection::useSavedSettings(QString *error)
{
    // A bad saved value is reported under its key, not as if an option had been mistyped.
    auto savedValueError = [error](int status, const QString &key) {
        if (status == ExitUsage)
            *error = QStringLiteral("the saved %1 \"%2\" is not usable; give a connection option")
                         .arg(key, Settings::value(key));
        return status;
    };
    switch (interfaceFromSettingText(Settings::value(SettingsKey::Interface))) {
    case InterfaceGPIB:
        return savedValueError(useGpib(Settings::value(SettingsKey::GPIBPort).trimmed(), error),
                               SettingsKey::GPIBPort);
    case InterfaceUSB:
        useUsb(Settings::value(SettingsKey::USBSerialNumber), Settings::value(SettingsKey::USBName));
        return ExitSuccess;
    case InterfaceEthernet: {
        EthernetModuleRecord &module = m_context.ethernetDevice;
        LoadEthernetSettings(module);
        IDVM &dvm = *m_context.dvm();
        dvm.SetEthernetDevice();
        dvm.SetInterfaceType(InterfaceEthernet);
        m_description = QStringLiteral("Ethernet module %1:%2").arg(module.IP.trimmed()).arg(module.Port);
        return ExitSuccess;
    }
    default:
        break;
    }
    // The saved port is a number; the port table knows its device.
    const QString port = Settings::value(SettingsKey::CommPort).trimmed();
    int number = 0;
    if (!isPortNumber(port, &number))
        return savedValueError(ExitUsage, SettingsKey::CommPort);
    return savedValueError(useSerial(port, error), SettingsKey::CommPort);
}

int CliConnection::startSimulator(QString *error)
{
    m_calibrator = std::make_unique<VirtualCalibrator>(simulatedModelFor(m_context.dvm()));
    m_front = std::make_unique<PtyFront>(*m_calibrator);
    if (!m_front->open()) {
        *error = QStringLiteral("cannot start the virtual calibrator: %1").arg(m_front->errorString());
        return ExitUnreachable;
    }
    // The ethernet commands of a simulated run find the calibrator's simulated module on loopback.
    m_ethernetFront = std::make_unique<EthernetFront>(*m_calibrator);
    if (m_ethernetFront->open())
        Settings::setValue(SettingsKey::EthernetDiscovery, m_ethernetFront->discoveryTarget());
    const int status = useSerial(m_front->devicePath(), error);
    m_description = QStringLiteral("the virtual calibrator %1 on %2")
                        .arg(QString::fromLatin1(m_calibrator->memory().model()), m_description);
    return status;
}

void CliConnection::startSimulatedGpib(int address)
{
    m_calibrator = std::make_unique<VirtualCalibrator>(simulatedModelFor(m_context.dvm()));
    m_gpibBus = std::make_shared<SimGpibBus>();
    m_gpibBus->attach(*m_calibrator, address);
    m_context.gpib().setBus(m_gpibBus);
    m_description = QStringLiteral("the virtual calibrator %1 at GPIB address %2 on a simulated bus")
                        .arg(QString::fromLatin1(m_calibrator->memory().model()))
                        .arg(address);
}
