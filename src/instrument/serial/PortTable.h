#pragma once

#include "instrument/serial/SerialDeviceNames.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

/**
 * @brief Binds the port numbers 1 to 16 that the windows and settings speak of to devices.
 *
 * On Windows number n is "COMn". Elsewhere a number is bound to a device by its stable name
 * ("/dev/serial/by-id/usb-...", see SerialDeviceNames), so an adapter that comes back under another
 * kernel name keeps its number: first the explicit bindings (a pseudo-terminal, a device given on
 * the command line), then the bindings stored in the settings ("SerialPortDevice3"), then the
 * automatic bindings this table made before, then the system's other serial ports in a stable
 * order (USB adapters, then built-in ports) on the lowest free numbers. A stored kernel name
 * ("/dev/ttyUSB0", as older settings hold) is read as it is. A stored or automatic binding whose
 * device is gone is left out of the table (its setting stays, so a replugged adapter takes its
 * number back); an explicit one stays. When an instrument is found, remember() stores its binding.
 */
class PortTable
{
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 16;

    /// Re-reads the stored bindings and the system's ports; explicit bindings are kept.
    void refresh();

    /// The device behind a port number, or "" when the number is unbound.
    QString devicePath(int portNumber) const;
    /// The number bound to a device, or 0.
    int numberOf(const QString &devicePath) const;
    /// The bound numbers in ascending order.
    QList<int> numbers() const;

    /// Binds a number to a device for this run (it wins over stored and automatic bindings).
    void bind(int portNumber, const QString &devicePath);
    /// Binds a device to its existing number, or to the lowest free one; returns the number (0 if full).
    int bindDevice(const QString &devicePath);
    /// With true only the explicit bindings are listed, no stored or system ports: the simulated
    /// mode must not send to real instruments.
    void setExplicitOnly(bool only);

    /// Stores the number's present binding in the settings.
    bool remember(int portNumber) const;

    /// The kernel device a number reaches now ("" when unbound).
    QString kernelName(int portNumber) const;

    /// The ports the system lists, in the order automatic numbering uses.
    static QStringList systemPorts();

    /// Where the stable names are looked for and which kernel ports the system lists; tests
    /// point both at a folder of their own.
    void setDeviceSource(const SerialDeviceNames &names, std::function<QStringList()> systemPortLister);

private:
    void ensureLoaded() const;
    bool isBound(const QString &path) const;

    mutable bool m_loaded = false;
    bool m_explicitOnly = false;
    mutable QMap<int, QString> m_bindings;
    /// The automatic part of the last load, kept so a refresh does not renumber the ports.
    mutable QMap<int, QString> m_automatic;
    QMap<int, QString> m_explicit;
    SerialDeviceNames m_names;
    std::function<QStringList()> m_systemPorts;
};
