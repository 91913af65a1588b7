#include "instrument/InstrumentContext.h"

#include "instrument/IDVM.h"
#include "instrument/serial/SerialPortControl.h"

InstrumentContext::InstrumentContext(QObject *parent)
    : QObject(parent),
      m_dvm1Comm(new SerialPortControl(&m_portTable, this)),
      m_serial(m_state),
      m_gpib(m_state),
      m_usb(m_state, usbDevice),
      m_ethernet(m_state)
{
}

InstrumentContext::~InstrumentContext() = default;

void InstrumentContext::setDvm(std::unique_ptr<IDVM> dvm)
{
    m_dvm = std::move(dvm);
}
