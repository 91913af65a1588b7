#pragma once

#include "instrument/InterfaceType.h"

#include <QString>

/**
 * @brief Where an instrument is: the interface it hangs on and its address there.
 *
 * The address, by interface: RS-232, the port number ("3"; the port table binds it to a device);
 * GPIB, the primary address on board 0 ("22"); USB, the bridge's serial number; Ethernet, the
 * module's "IP:PORT". `name` is what the device calls itself, kept for the settings and the
 * windows: the USB bridge's description, the Ethernet module's MAC address.
 *
 * An interface added later brings its own type number and address form.
 */
struct Endpoint
{
    int interfaceType = InterfaceRS232;
    QString address;
    QString name;

    static Endpoint serialPort(int portNumber);
    static Endpoint gpib(int address);
    static Endpoint usb(const QString &serialNumber, const QString &description = {});
    static Endpoint ethernet(const QString &ip, int port, const QString &mac = {});

    /// The address as a whole number from 0 up (a port number, a GPIB address); -1 when it is none.
    int number() const;
    /// The same, when it lies from first to last; otherwise -1, and *error says that `what`
    /// ("GPIB addresses") run from first to last.
    int numberWithin(int first, int last, const QString &what, QString *error) const;
    /// The two parts of an Ethernet address "IP:PORT"; "" and 0 when the address has no port.
    QString host() const;
    int port() const;

    bool operator==(const Endpoint &other) const = default;
};
