#include "instrument/InstrumentContext.h"

#include "instrument/Transport.h"
#include "instrument/ethernet/EthernetModuleLink.h"
#include "instrument/gpib/GpibLibrary.h"
#include "instrument/serial/SerialPortControl.h"

InstrumentContext::InstrumentContext(QObject *parent)
    : QObject(parent),
      m_dvm1Comm(new SerialPortControl(&m_portTable, this)),
      m_usb(m_state, this),
      m_ethernetModules(std::make_unique<EthernetModuleLink>())
{
}

InstrumentContext::~InstrumentContext() = default;

Gpib488 &InstrumentContext::gpibBus()
{
    // Loaded on first use, so a program that never touches GPIB never loads the library.
    if (!m_gpibBus)
        m_gpibBus = GpibLibrary::system();
    return *m_gpibBus;
}

void InstrumentContext::setGpibBus(std::shared_ptr<Gpib488> bus)
{
    m_gpibBus = std::move(bus);
}

std::unique_ptr<Transport> InstrumentContext::makeTransport(int interfaceType)
{
    const InterfaceRegistry::Entry *entry = m_interfaces.find(interfaceType);
    if (!entry || !entry->makeTransport)
        return nullptr;
    return entry->makeTransport(*this);
}
