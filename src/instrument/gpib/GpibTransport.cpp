#include "instrument/gpib/GpibTransport.h"

#include "instrument/TransportState.h"
#include "instrument/gpib/Gpib488.h"

GpibTransport::GpibTransport(TransportState &state) : m_state(state) {}

GpibTransport::~GpibTransport() = default;

void GpibTransport::setBus(std::shared_ptr<Gpib488> bus)
{
    m_bus = std::move(bus);
}

QString GpibTransport::sendString(int address, const QString &command, bool waitForAck,
                                  int timeoutSeconds, int packetEndCondition)
{
    Q_UNUSED(address);
    Q_UNUSED(command);
    Q_UNUSED(waitForAck);
    Q_UNUSED(timeoutSeconds);
    Q_UNUSED(packetEndCondition);
    // The GPIB exchange itself arrives with the GPIB work; until then the route answers nothing.
    m_state.lastOutcome = ExchangeOutcome::NoInterface;
    return {};
}
