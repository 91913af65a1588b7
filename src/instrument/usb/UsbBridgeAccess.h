#pragma once

#include "instrument/usb/UsbDeviceRecord.h"
#include "platform/UsbBridge.h"

#include <QList>
#include <QString>

#include <memory>

class TransportState;

/**
 * @brief The USB bridge procedures below the transport: listing the bridges, opening one by
 * serial number, writing, reading and closing. The USB transport runs its exchanges on them, and
 * the USB device window uses them directly to list the bridges and ask each who it is.
 *
 * One per program (in the instrument context): the bridge library in use and its last listing
 * belong to the computer, not to one connection.
 */
class UsbBridgeAccess
{
public:
    explicit UsbBridgeAccess(TransportState &state);
    ~UsbBridgeAccess();

    /// Puts a bridge backend in place (the simulated one, or a test's).
    void setBridge(std::shared_ptr<UsbBridge> bridge);
    /// The backend in use (never null): the system's (libftdi1) unless another was set.
    UsbBridge *bridge();

    /// The devices of the last listing that found any, in the library's order (USBDevices).
    QList<UsbDeviceRecord> devices;

    /// Lists the bridges into `devices`; the number found, 0 when none or on a library error
    /// (then `devices` keeps the previous listing). Names and serial numbers are the library's
    /// 256-character fields cut at their first NUL.
    int ListUSBDevices();
    /// ListUSBDevices up to five times, 250 ms apart, until one finds devices. Gives up at once
    /// when USB is out of reach altogether.
    int countDevices();
    /// Why the last listing found nothing: the library's reason, or "" when it simply found no
    /// device.
    QString listingError() const { return m_listingError; }
    /// True when the last listing failed because USB cannot be used here (no library, no USB, no
    /// permission), as opposed to no device being attached.
    bool noUsbAccess() const;

    /// Opens the bridge with this serial number at 9600 baud, 8N1, no flow control, read time-out
    /// 5000 ms. False at once for an empty serial number.
    bool OpenUSBDevice(const QString &serialNumber, int &handle);
    /// Writes the text as 8-bit characters; true when all of it went.
    bool USBWrite(const QString &text, int handle);
    /// Bytes received and waiting to be read; -1 on a library error.
    int bytesWaiting(int handle);
    /// The bytes waiting on the device, as text.
    QString USBRead(int handle);
    /// One answer line read a byte at a time (each byte waits up to the read time-out), with its
    /// closing CR or LF; "" when a byte did not come or the library failed. At most 101
    /// characters.
    QString USBReadReply(int handle);
    /// Reads and drops whatever waits in a freshly opened bridge before a command goes out.
    void discardStaleInput(int handle);
    void closeDevice(int handle);
    /// The reason of the last failed open.
    QString openError() const { return m_openError; }

    /// Whether an exchange holds a bridge open now (USBDevice.InUse). The library opens a bridge
    /// once: a second exchange meanwhile (the USB window's test box while the instrument object
    /// waits) would fail to open it for no reason the user could see, so it is refused instead.
    bool exchangeRunning() const { return m_exchangeRunning; }
    void setExchangeRunning(bool running) { m_exchangeRunning = running; }

    /// The pacing and activity state the USB exchanges share with the other transports.
    TransportState &state() { return m_state; }

    /// The line settings every open applies.
    static UsbBridge::LineSettings lineSettings();
    /// How often an exchange looks for data on this backend.
    int pollStepMs();

    static constexpr int kStringFieldLength = 256;
    static constexpr int kReadTimeoutMs = 5000;
    static constexpr int kMaxReplyLineChars = 101;
    static constexpr int kListAttempts = 5;
    static constexpr int kListRetryPauseMs = 250;

private:
    /// Waits until bytes wait on the device or timeoutMs passed: their number, 0, or -1 on error.
    int waitForBytes(int handle, int timeoutMs);

    TransportState &m_state;
    std::shared_ptr<UsbBridge> m_bridge;
    QString m_listingError;
    UsbBridge::ErrorKind m_listingErrorKind = UsbBridge::ErrorKind::None;
    QString m_openError;
    bool m_exchangeRunning = false;
};
