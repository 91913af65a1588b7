#include "cli/CliConnection.h"

#include "cli/CommandLine.h"
#include "cli/RunContext.h"
#include "instrument/DriverFamily.h"
#include "instrument/IDVM.h"
#include "instrument/InstrumentDriver.h"
#include "instrument/serial/PortTable.h"
#include "platform/Settings.h"
#include "session/InstrumentSession.h"
#include "sim/VirtualCalibrator.h"

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

QString simulatedModelText(InstrumentSession &session)
{
    return QString::fromLatin1(session.simulation()->calibrator().memory().model());
}

} // namespace

CliConnection::CliConnection(InstrumentSession &session) : m_session(session) {}

int CliConnection::setUp(const CommandLine &line, QString *error)
{
    // --simulate with --gpib is one connection: the built-in calibrator on a simulated bus.
    const bool simulatedGpib = line.isSet(CliOptionName::Simulate) && line.isSet(CliOptionName::Gpib);
    QStringList chosen;
    for (const QString &option : {CliOptionName::Port, CliOptionName::Ethernet, CliOptionName::Usb, CliOptionName::Gpib,
                                  CliOptionName::Simulate}) {
        if (line.isSet(option) && !(simulatedGpib && option == CliOptionName::Simulate))
            chosen << QStringLiteral("--") + option;
    }
    const bool simulate = line.isSet(CliOptionName::Simulate);
    // A simulated run may reach its calibrator over the simulated USB bridge.
    if (simulate && line.isSet(CliOptionName::Usb))
        chosen.removeAll(QStringLiteral("--") + CliOptionName::Simulate);
    if (chosen.size() > 1) {
        *error = QStringLiteral("choose one connection, not %1").arg(chosen.join(QStringLiteral(" and ")));
        return ExitUsage;
    }
    // A simulated run reads its driver model from its own settings store.
    if (simulate)
        m_session.useSimulatedSettings();

    QString model = Settings::value(SettingsKey::DVM1);
    if (line.isSet(CliOptionName::Model)) {
        model = line.value(CliOptionName::Model);
        if (!kDriverModels.contains(model)) {
            *error = QStringLiteral("--model must be one of %1, not \"%2\"")
                         .arg(kDriverModels.join(QStringLiteral(", ")), model);
            return ExitUsage;
        }
    }
    m_session.setDvm(CreateDVM(model, m_session.context()));
    if (simulate)
        return startSimulator(line, error);

    if (line.isSet(CliOptionName::Port))
        return useSerial(line.value(CliOptionName::Port), error);
    if (line.isSet(CliOptionName::Ethernet))
        return useEthernet(line.value(CliOptionName::Ethernet), error);
    if (line.isSet(CliOptionName::Usb)) {
        useUsb(line.value(CliOptionName::Usb), QString());
        return ExitSuccess;
    }
    if (line.isSet(CliOptionName::Gpib))
        return useGpib(line.value(CliOptionName::Gpib), error);
    return useSavedSettings(error);
}

int CliConnection::startSimulator(const CommandLine &line, QString *error)
{
    SimulatedInstrument::Options options;
    options.model = simulatedModelFor(m_session.dvm());
    if (line.isSet(CliOptionName::Gpib)) {
        // The calibrator listens where the command line looks for it.
        const int status = useGpib(line.value(CliOptionName::Gpib), error);
        if (status != ExitSuccess)
            return status;
        options.gpibAddress = line.value(CliOptionName::Gpib).toInt();
    }
    QString why;
    if (!m_session.startSimulation(options, &why)) {
        *error = QStringLiteral("cannot start the virtual calibrator: %1").arg(why);
        return ExitUnreachable;
    }
    if (line.isSet(CliOptionName::Gpib)) {
        m_description = QStringLiteral("the virtual calibrator %1 at GPIB address %2 on a simulated bus")
                            .arg(simulatedModelText(m_session))
                            .arg(options.gpibAddress);
        return ExitSuccess;
    }
    if (line.isSet(CliOptionName::Usb)) {
        useUsb(line.value(CliOptionName::Usb), QString());
        m_description +=
            QStringLiteral(" (simulated, in front of the virtual calibrator %1)").arg(simulatedModelText(m_session));
        return ExitSuccess;
    }
    const int status = useSerial(m_session.simulation()->devicePath(), error);
    m_description = QStringLiteral("the virtual calibrator %1 on %2").arg(simulatedModelText(m_session), m_description);
    return status;
}

int CliConnection::useSerial(const QString &device, QString *error)
{
    PortTable &table = m_session.context().portTable();
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
    m_session.connect(Endpoint::serialPort(number));
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
    m_session.connect(Endpoint::ethernet(ip, port));
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
    m_session.connect(Endpoint::gpib(value));
    m_description = QStringLiteral("GPIB address %1").arg(value);
    return ExitSuccess;
}

void CliConnection::useUsb(const QString &serialNumber, const QString &name)
{
    m_session.connect(Endpoint::usb(serialNumber, name));
    m_description =
        QStringLiteral("USB bridge %1").arg(serialNumber.isEmpty() ? QStringLiteral("(none chosen)") : serialNumber);
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
    const Endpoint saved = m_session.savedEndpoint();
    switch (saved.interfaceType) {
    case InterfaceGPIB:
        return savedValueError(useGpib(saved.address, error), SettingsKey::GPIBPort);
    case InterfaceUSB:
        useUsb(saved.address, saved.name);
        return ExitSuccess;
    case InterfaceEthernet:
        m_session.connect(saved);
        m_description = QStringLiteral("Ethernet module %1:%2").arg(saved.host()).arg(saved.port());
        return ExitSuccess;
    case InterfaceRS232:
        break;
    default:
        // An interface added to the program: its address as the settings hold it.
        if (!m_session.connect(saved, error))
            return ExitUnreachable;
        m_description =
            m_session.context().interfaces().settingText(saved.interfaceType) + QLatin1Char(' ') + saved.address;
        return ExitSuccess;
    }
    // The saved port is a number; the port table knows its device.
    int number = 0;
    if (!isPortNumber(saved.address, &number))
        return savedValueError(ExitUsage, SettingsKey::CommPort);
    return savedValueError(useSerial(saved.address, error), SettingsKey::CommPort);
}
