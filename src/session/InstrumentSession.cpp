#include "session/InstrumentSession.h"

#include "instrument/IDVM.h"
#include "instrument/ethernet/EthernetInterface.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Settings.h"

#include <QThread>

class InstrumentSession::CurrentDriverChannel : public InstrumentChannel
{
public:
    explicit CurrentDriverChannel(InstrumentSession &session) : m_session(session) {}

    ExchangeReply exchange(const ExchangeRequest &request) override
    {
        IDVM *dvm = m_session.dvm();
        return dvm ? dvm->exchange(request) : ExchangeReply::ended(ExchangeOutcome::NotConnected);
    }

private:
    InstrumentSession &m_session;
};

InstrumentSession::InstrumentSession(QObject *parent)
    : QObject(parent), m_channel(std::make_unique<CurrentDriverChannel>(*this))
{
}

QString InstrumentSession::connectionWords() const
{
    return m_dvm ? m_dvm->GetDescription().simplified() : QString();
}

InstrumentSession::~InstrumentSession()
{
    if (m_operations.workThread() != thread()) {
        // The devices come home before their thread ends, so they are closed and deleted on the
        // thread they live on.
        QThread *home = thread();
        m_operations.callOnWorkThread([this, home] {
            closeDevices();
            moveDevicesTo(home);
        });
        m_operations.stopWorkThread();
    }
    if (m_simulation)
        m_simulation->stop(m_context);
    m_dvm.reset();
    m_replacedDvm.reset();
    m_simulation.reset();
    if (!m_previousScope.isNull())
        Settings::setScope(m_previousScope);
}

InstrumentChannel &InstrumentSession::channel()
{
    return *m_channel;
}

void InstrumentSession::setDvm(std::unique_ptr<IDVM> dvm)
{
    m_replacedDvm = std::move(m_dvm);
    m_dvm = std::move(dvm);
    emit connectionChanged();
}

void InstrumentSession::createDvm(const QString &model)
{
    Endpoint where = m_dvm ? m_dvm->endpoint() : Endpoint();
    // A driver never pointed anywhere stands on RS-232, on the serial port control's port.
    if (where == Endpoint())
        where = Endpoint::serialPort(m_context.dvm1Comm()->portNumber());
    setDvm(CreateDVM(model, m_context));
    m_dvm->connect(where);
}

bool InstrumentSession::connect(const Endpoint &endpoint, QString *error)
{
    if (!m_dvm) {
        if (error)
            *error = QStringLiteral("no instrument driver has been made");
        return false;
    }
    const bool connected = m_dvm->connect(endpoint, error);
    emit connectionChanged();
    return connected;
}

bool InstrumentSession::saveConnection(const Endpoint &endpoint)
{
    const InterfaceRegistry &interfaces = m_context.interfaces();
    bool saved = Settings::setValue(SettingsKey::Interface, interfaces.settingText(endpoint.interfaceType));
    const InterfaceRegistry::Entry *entry = interfaces.find(endpoint.interfaceType);
    if (entry && entry->save)
        saved = entry->save(m_context, endpoint) && saved;
    return saved;
}

int InstrumentSession::savedInterface()
{
    return m_context.interfaces().typeOf(Settings::value(SettingsKey::Interface));
}

Endpoint InstrumentSession::savedEndpoint(int interfaceType)
{
    const InterfaceRegistry::Entry *entry = m_context.interfaces().find(interfaceType);
    if (entry && entry->loadSaved)
        return entry->loadSaved(m_context);
    return {interfaceType, {}, {}};
}

bool InstrumentSession::connectSavedInterface()
{
    const int type = savedInterface();
    if (!m_dvm || type == InterfaceRS232)
        return false;
    const Endpoint saved = savedEndpoint(type);
    // The location windows show the device in use.
    if (type == InterfaceUSB) {
        usbDevice = UsbDeviceRecord();
        usbDevice.Name = saved.name;
        usbDevice.SerialNumber = saved.address;
    } else if (type == InterfaceEthernet) {
        ethernetDevice = ethernetRecordOf(saved);
    }
    if (connect(saved) && m_dvm->CheckIdentity(m_dvm->Identify().trimmed()))
        return true;
    connect(Endpoint::serialPort(m_context.dvm1Comm()->portNumber()));
    return false;
}

void InstrumentSession::close()
{
    if (m_dvm)
        m_dvm->close();
}

void InstrumentSession::useWorkThread()
{
    if (m_operations.workThread() != thread())
        return;
    closeDevices();
    m_operations.useWorkThread();
    moveDevicesTo(m_operations.workThread());
}

void InstrumentSession::closeDevices()
{
    // A port, socket or bridge opens again on the thread of the next exchange.
    if (m_dvm)
        m_dvm->close();
    if (m_replacedDvm)
        m_replacedDvm->close();
    m_context.ethernetModules().closeSocket();
}

void InstrumentSession::moveDevicesTo(QThread *thread)
{
    m_context.moveToThread(thread);
    if (m_simulation)
        m_simulation->moveTo(thread);
}

QString InstrumentSession::simulatedScope()
{
    return Settings::applicationTitle() + QStringLiteral(" (simulated)");
}

void InstrumentSession::useSimulatedSettings(const QString &scope)
{
    if (m_previousScope.isNull())
        m_previousScope = Settings::scope();
    Settings::setScope(scope.isEmpty() ? simulatedScope() : scope);
}

bool InstrumentSession::startSimulation(const SimulatedInstrument::Options &options, QString *error)
{
    useSimulatedSettings(options.settingsScope);
    m_simulation = std::make_unique<SimulatedInstrument>(options);
    if (m_simulation->start(m_context))
        return true;
    if (error)
        *error = m_simulation->errorString();
    m_simulation.reset();
    return false;
}
