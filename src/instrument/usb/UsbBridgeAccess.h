#pragma once

#include "instrument/usb/UsbDeviceRecord.h"
#include "platform/UsbBridge.h"

#include <QList>
#include <QString>

#include <memory>

class QObject;
class TransportState;

/**
 * @brief The USB bridge procedures below the transport: listing the bridges, opening one by
 * serial number, writing, reading and closing. The USB transport runs its exchanges on them, and
 * the USB device window uses them directly to list the bridges and ask each who it is.
 *
 * One per program (in the instrument context): the bridge library in use and its last listing
 * belong to the computer, not to one connection. So is the bridge the exchanges keep open: on
 * Linux opening a bridge detaches the system's serial driver and closing re-attaches it, so its
 * /dev/ttyUSBn node would vanish and come back around every command, and whatever udev starts for
 * the new node (a modem prober, a braille reader) could write to the instrument between two of
 * ours. The exchanges therefore take the bridge once (holdOpen) and give it back when the
 * connection closes, when it fails, when another bridge or a listing pass needs it, or after
 * kIdleCloseMs without an exchange; every transport of the program shares the one held bridge, so
 * a search's probe on the same bridge reuses it rather than failing to open it a second time.
 */
class UsbBridgeAccess
{
public:
    /// owner: the object whose thread the idle time runs on (the instrument context).
    explicit UsbBridgeAccess(TransportState &state, QObject *owner = nullptr);
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
    /// 5000 ms. False at once for an empty serial number. A bridge the exchanges hold open with
    /// this serial number is given back first (unless an exchange runs on it), since a bridge
    /// opens only once.
    bool OpenUSBDevice(const QString &serialNumber, int &handle);

    /// The handle of the bridge with this serial number for an exchange: the one held open
    /// already, or a fresh open (after giving back a held bridge with another serial number);
    /// 0 when it will not open (openError says why). The idle time stops until exchangeEnded.
    int holdOpen(const QString &serialNumber);
    /// The exchange on the held bridge is over: a bridge that failed in it is closed at once,
    /// any other stays open for kIdleCloseMs more.
    void exchangeEnded(bool bridgeFailed);
    /// Closes the held bridge (the system's serial driver comes back), if any.
    void releaseHeld();
    /// Closes the held bridge if it is the one with this serial number and no exchange runs.
    void releaseHeld(const QString &serialNumber);
    /// The serial number of the bridge held open now; "" when none is.
    QString heldSerialNumber() const { return m_heldHandle > 0 ? m_heldSerialNumber : QString(); }
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
    /// Drops whatever waits in the bridge, in its chip and in the host, before a command goes out.
    /// False when the library reports the handle dead (the bridge went away since it was opened).
    bool discardStaleInput(int handle);
    /// Closes this handle (the held bridge too, when it is that one).
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
    /// How long a held bridge stays open after its last exchange: long enough for the pauses
    /// between the commands of a table operation, short enough to give the bridge back to the
    /// system soon after the user stops.
    static constexpr int kIdleCloseMs = 2000;

private:
    /// Waits until bytes wait on the device or timeoutMs passed: their number, 0, or -1 on error.
    int waitForBytes(int handle, int timeoutMs);
    bool openDevice(const QString &serialNumber, int &handle);

    TransportState &m_state;
    std::shared_ptr<UsbBridge> m_bridge;
    QString m_listingError;
    UsbBridge::ErrorKind m_listingErrorKind = UsbBridge::ErrorKind::None;
    QString m_openError;
    bool m_exchangeRunning = false;
    QString m_heldSerialNumber;
    int m_heldHandle = 0;
    /// Counts the holds and releases, so an idle close armed before one of them does nothing.
    quint64 m_holdGeneration = 0;
    /// The idle close runs on this object's thread and never after it is gone.
    std::unique_ptr<QObject> m_idleTimerContext;
};
