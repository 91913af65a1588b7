#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

/**
 * @brief Binds the port numbers 1 to 16 that the windows and settings speak of to devices.
 *
 * On Windows number n is "COMn". Elsewhere a number is bound to a device path: first the bindings
 * stored in the settings ("SerialPortDevice3" = "/dev/ttyUSB0"), then the system's serial ports
 * in a stable order (USB adapters, then built-in ports) on the lowest free numbers. When an
 * instrument is found, remember() stores its binding, so the device keeps its number across
 * restarts. Explicit bindings (a pseudo-terminal, a device given on the command line) come first.
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

    /// The ports the system lists, in the order automatic numbering uses.
    static QStringList systemPorts();

private:
    void ensureLoaded() const;

    mutable bool m_loaded = false;
    bool m_explicitOnly = false;
    mutable QMap<int, QString> m_bindings;
    QMap<int, QString> m_explicit;
};
