#pragma once

#include "instrument/usb/UsbDeviceRecord.h"
#include "platform/UsbBridge.h"

#include <QList>
#include <QString>
#include <memory>

class TransportState;

/**
 * @brief The USB bridge procedures: listing the bridges, opening one by serial number, writing,
 * reading, and one command with its reply (open, write, gather chunks until the reply ends,
 * close). Also the USB settings.
 *
 * A reply is gathered from chunks as they come; with end condition 0 it ends at a chunk whose
 * last byte is CR or LF, with 1 once the first "*" is followed by a digit and CR. The time-out
 * counts from the last chunk, so a long answer that keeps coming is never cut off. The wait is
 * event-driven on the process clock: it returns as soon as the reply's end has arrived.
 */
class UsbTransport
{
public:
    /// Status of the last exchange: complete, the device failed to open, or no complete answer.
    enum Status { Complete = 0, OpenFailed = 1, TimedOut = 2 };

    /// device is the program's USB device record (the one drivers copy in and out).
    UsbTransport(TransportState &state, UsbDeviceRecord &device);
    ~UsbTransport();

    /// Puts a bridge backend in place (the simulated one, or a test's).
    void setBridge(std::shared_ptr<UsbBridge> bridge);
    /// The backend in use (never null): the system's (libftdi1) unless another was set.
    UsbBridge *bridge();

    /// The device in use: each driver copies its own record here before its exchange.
    UsbDeviceRecord &device;
    /// The devices of the last listing that found any, in the library's order.
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

    /// One command (CR is added) and its reply. status: 0 complete, 1 the device failed to open
    /// (and the transports' abort flag is set), 2 no complete answer in time or a library error;
    /// left as it was for a device without serial number. The reply is returned as gathered, also
    /// after a time-out.
    QString USBSendString(const QString &Commandstring, int &status, int timeout, int PacketEndCondition);

    /// The device record from the settings "USB_Name" and "USB_SerialNumber".
    void LoadUSBSettings();
    /// "DVM1_Interface" = "USB" and the device record's name and serial number; false when the
    /// store could not be written.
    bool SaveUSBSettings();

    /// The line settings every open applies.
    static UsbBridge::LineSettings lineSettings();

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
    bool m_busy = false;
};
