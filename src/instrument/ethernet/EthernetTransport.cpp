#include "instrument/ethernet/EthernetTransport.h"

#include "instrument/TransportState.h"

EthernetTransport::EthernetTransport(TransportState &state) : m_state(state) {}

EthernetTransport::~EthernetTransport() = default;

QString EthernetTransport::sendString(const QString &command, bool waitForAck, int timeoutSeconds,
                                      int packetEndCondition)
{
    Q_UNUSED(command);
    Q_UNUSED(waitForAck);
    Q_UNUSED(timeoutSeconds);
    Q_UNUSED(packetEndCondition);
    // The datagram exchange arrives with the Ethernet work; until then the route answers nothing,
    // as for a module that is not configured.
    m_state.lastOutcome = ExchangeOutcome::NoInterface;
    return {};
}
