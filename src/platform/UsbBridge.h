#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/**
 * @brief What the program needs of a USB-serial bridge library: list the bridges by description
 * and serial number, open one by its serial number with line settings, write, see how many bytes
 * wait, read them, close.
 *
 * Backends: libftdi1 for real FTDI bridges (instrument/usb) and a simulated bridge carrying bytes
 * to and from the virtual calibrator (sim/usb). The interface lives here, below both, because the
 * simulator never reaches into the instrument layer.
 *
 * Every call reports failure by its result (false, 0 or -1) and never throws; lastError() then
 * says why in words a user can act on, and lastErrorKind() whether USB is out of reach altogether.
 * A backend whose devices can tell when data arrives calls systemClock().wake() then, so a waiting
 * exchange returns at once; one that cannot is polled every pollIntervalMs().
 */
class UsbBridge
{
public:
    /// The serial line behind the bridge and the library's own time-outs.
    struct LineSettings
    {
        int baudRate = 9600;
        int dataBits = 8;
        int stopBits = 1;
        char parity = 'N';     ///< 'N', 'E', 'O'
        bool flowControl = false;
        int readTimeoutMs = 5000;
        int writeTimeoutMs = 0; ///< 0: the backend's own bound (a write never waits forever)
    };

    /// One bridge as the library lists it. The texts come as the library's fixed-size fields
    /// would hold them, so a NUL and whatever follows it may still be there.
    struct DeviceStrings
    {
        QByteArray description;
        QByteArray serialNumber;
    };

    enum class ErrorKind {
        None,
        NotFound,    ///< no bridge with that serial number
        NoAccess,    ///< the system does not let this user open USB devices
        Unavailable, ///< no USB library or no USB on this system
        Failed,      ///< anything else the library reported
    };

    virtual ~UsbBridge() = default;

    /// Short name for messages ("libftdi1", "simulated").
    virtual QString backendName() const = 0;

    /// Fills devices in the library's order; false on a library error (devices then undefined).
    virtual bool listDevices(QList<DeviceStrings> &devices) = 0;

    /// Opens the bridge with this serial number and applies the line settings; the handle (> 0),
    /// or 0 on failure. Whatever the bridge had received before is dropped.
    virtual int open(const QString &serialNumber, const LineSettings &settings) = 0;
    /// True when every byte was written.
    virtual bool write(int handle, const QByteArray &bytes) = 0;
    /// Bytes received and not yet read, after collecting what the device has; -1 on an error.
    virtual int bytesWaiting(int handle) = 0;
    /// Up to maxBytes of what has been received, without waiting.
    virtual QByteArray read(int handle, int maxBytes) = 0;
    /// Drops everything received and not yet read, in the chip as well as in the host's buffers.
    /// A bridge kept open between exchanges has no open to flush it; false on a library error.
    virtual bool discardReceived(int handle) = 0;
    virtual void close(int handle) = 0;

    virtual QString lastError() const = 0;
    virtual ErrorKind lastErrorKind() const = 0;

    /// How often an exchange looks for data when the backend does not wake it.
    virtual int pollIntervalMs() const { return 50; }

    /// No received buffer grows beyond this; more is dropped, as a chip without flow control
    /// drops what its host does not read.
    static constexpr int kMaxBufferedBytes = 1 << 20;
    /// The identity of FTDI bridges on the bus.
    static constexpr int kFtdiVendorId = 0x0403;
    /// The FTDI bridges the program opens, those a listing for vendor and product 0 matches:
    /// FT232R/FT245R, FT2232, FT4232, FT232H and the FT-X series. The installed udev rule gives
    /// the user at the seat each of them.
    static constexpr int kFtdiProductIds[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};
};
