#pragma once

#include <QByteArray>
#include <QString>

/**
 * @brief What the USB transport and windows need of the FTDI bridge library: enumeration,
 * open by serial number with the line settings, write, bytes waiting, read, close.
 *
 * Backends: libftdi1 for real bridges, and a simulated bridge carrying bytes to the virtual
 * calibrator. Calls return false (or -1) on failure; lastError() says why in plain words.
 */
class UsbBridge
{
public:
    virtual ~UsbBridge() = default;

    virtual int deviceCount() = 0;
    virtual QString description(int index) = 0;
    virtual QString serialNumber(int index) = 0;

    /// Opens the bridge with this serial number: 9600 baud, 8N1, no flow control.
    virtual int open(const QString &serialNumber) = 0; ///< handle, 0 on failure
    virtual bool write(int handle, const QByteArray &bytes) = 0;
    virtual int bytesWaiting(int handle) = 0; ///< -1 on a library error
    virtual QByteArray read(int handle, int maxBytes) = 0;
    virtual void close(int handle) = 0;

    virtual QString lastError() const = 0;
};
