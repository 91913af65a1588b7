#include "instrument/usb/UsbTransport.h"

#include "instrument/TransportState.h"
#include "instrument/usb/UsbBridge.h"

UsbTransport::UsbTransport(TransportState &state) : m_state(state) {}

UsbTransport::~UsbTransport() = default;

void UsbTransport::setBridge(std::shared_ptr<UsbBridge> bridge)
{
    m_bridge = std::move(bridge);
}

QString UsbTransport::sendString(const QString &command, int &status, int timeoutSeconds,
                                 int packetEndCondition)
{
    Q_UNUSED(command);
    Q_UNUSED(status);
    Q_UNUSED(timeoutSeconds);
    Q_UNUSED(packetEndCondition);
    // The USB exchange arrives with the USB work; until then the route answers nothing and leaves
    // the status as it was, as for a device without a serial number.
    m_state.lastOutcome = ExchangeOutcome::NoInterface;
    return {};
}
