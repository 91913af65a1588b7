#include "session/SimulatedInstrument.h"

#include "instrument/InstrumentContext.h"
#include "instrument/serial/SerialPortControl.h"
#include "platform/Settings.h"
#include "sim/PtyFront.h"
#include "sim/SimLog.h"
#include "sim/VirtualCalibrator.h"
#include "sim/ethernet/EthernetFront.h"
#include "sim/ethernet/EthernetModuleSim.h"
#include "sim/gpib/SimGpibBus.h"
#include "sim/usb/SimUsbBridge.h"

SimulatedInstrument::SimulatedInstrument(const Options &options, QObject *parent)
    : QObject(parent),
      m_options(options),
      m_calibrator(new VirtualCalibrator(options.model, this)),
      m_front(new PtyFront(*m_calibrator, m_calibrator)),
      m_ethernet(new EthernetFront(*m_calibrator, m_calibrator)),
      m_gpibBus(std::make_shared<SimGpibBus>()),
      m_usbBridge(std::make_shared<SimUsbBridge>())
{
    m_gpibBus->attach(*m_calibrator, options.gpibAddress);
    m_usbBridge->addDevice(SimUsbBridge::kBuiltInDescription, SimUsbBridge::kBuiltInSerialNumber, m_calibrator);
}

SimulatedInstrument::~SimulatedInstrument() = default;

bool SimulatedInstrument::start(InstrumentContext &context)
{
    if (!m_front->isOpen() && !m_front->open())
        return false;
    context.portTable().bind(kPortNumber, m_front->devicePath());
    context.portTable().setExplicitOnly(true);
    context.setGpibBus(m_gpibBus);
    context.usb().setBridge(m_usbBridge);
    // The module's usual data port when it is free (another program may hold it), else any free one.
    if (m_ethernet->discoveryPort() != 0 || m_ethernet->open(0, kEthernetDataPort) || m_ethernet->open())
        Settings::setValue(SettingsKey::EthernetDiscovery, m_ethernet->discoveryTarget());
    else
        qCWarning(lcSim) << "the virtual calibrator has no Ethernet module:" << m_ethernet->errorString();
    return true;
}

void SimulatedInstrument::stop(InstrumentContext &context)
{
    // The port goes before the pseudo-terminal it is open on, the bus before its calibrator.
    context.dvm1Comm()->close();
    context.setGpibBus(nullptr);
    context.usb().setBridge(nullptr);
}

void SimulatedInstrument::moveTo(QThread *thread)
{
    moveToThread(thread);
    m_gpibBus->moveToThread(thread);
    m_usbBridge->moveToThread(thread);
}

QString SimulatedInstrument::errorString() const
{
    return m_front->errorString();
}

Endpoint SimulatedInstrument::endpoint(int interfaceType) const
{
    switch (interfaceType) {
    case InterfaceRS232:
        return Endpoint::serialPort(kPortNumber);
    case InterfaceGPIB:
        return Endpoint::gpib(m_options.gpibAddress);
    case InterfaceUSB:
        return Endpoint::usb(QString::fromLatin1(SimUsbBridge::kBuiltInSerialNumber),
                             QString::fromLatin1(SimUsbBridge::kBuiltInDescription));
    case InterfaceEthernet: {
        if (m_ethernet->discoveryPort() == 0 || m_ethernet->modules().isEmpty())
            break; // the module did not open: nothing answers on Ethernet
        const EthernetModuleSim &module = *m_ethernet->modules().constFirst();
        return Endpoint::ethernet(module.address().toString(), module.dataPort(), module.behaviour().mac);
    }
    default:
        break;
    }
    return {interfaceType, {}, {}};
}

QString SimulatedInstrument::devicePath() const
{
    return m_front->devicePath();
}
