#pragma once

#include "instrument/usb/UsbDeviceRecord.h"

#include <QString>
#include <memory>

class TransportState;
class UsbBridge;

/**
 * @brief One command and its reply through the USB bridge: open by serial number, write, gather
 * chunks until the reply ends, close.
 */
class UsbTransport
{
public:
    /// Status of the last exchange: complete, the device failed to open, or no complete answer.
    enum Status { Complete = 0, OpenFailed = 1, TimedOut = 2 };

    explicit UsbTransport(TransportState &state);
    ~UsbTransport();

    void setBridge(std::shared_ptr<UsbBridge> bridge);
    UsbBridge *bridge() const { return m_bridge.get(); }

    /// The device in use (the record each driver copies in before its exchange).
    UsbDeviceRecord device;

    QString sendString(const QString &command, int &status, int timeoutSeconds, int packetEndCondition);

private:
    TransportState &m_state;
    std::shared_ptr<UsbBridge> m_bridge;
};
