#pragma once

#include <QString>

/**
 * @brief What the interface options window tells about the device behind a serial port number:
 * the stable name the number is kept by, the kernel name it reaches now, and what the USB adapter
 * says of itself (description, maker, serial number) where it is one.
 */
struct PortDevice
{
    QString stableName;
    QString kernelName;
    QString description;
    QString manufacturer;
    QString serialNumber;
    quint16 vendorId = 0;
    quint16 productId = 0;

    /// The device a port is bound to, with what the system's port listing knows of it.
    static PortDevice describe(const QString &devicePath);

    /// One line for the window: the kernel name, what the adapter is, its serial number
    /// ("/dev/ttyUSB0 - Qorvex USB UART - serial number A10K3X").
    QString summary() const;
    /// Every name and detail on lines of their own, for a tooltip.
    QString details() const;
};
