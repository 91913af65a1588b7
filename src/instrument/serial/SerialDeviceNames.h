#pragma once

#include <QString>

/**
 * @brief The names a serial device goes by under a device folder ("/dev"): the kernel name
 * ("/dev/ttyUSB0"), which changes when adapters are plugged in another order, and the stable
 * names udev links to it ("/dev/serial/by-id/usb-...", "/dev/serial/by-path/..."), which do not.
 *
 * The folder is a parameter so tests can build the links in a temporary folder.
 */
class SerialDeviceNames
{
public:
    explicit SerialDeviceNames(QString deviceRoot = QStringLiteral("/dev"));

    QString deviceRoot() const { return m_root; }

    /// The steadiest name of the device a path reaches: the by-id link to it, else the by-path
    /// link, else the path itself (a built-in port or a pseudo-terminal has no link).
    QString stableName(const QString &path) const;
    /// The device a path reaches with every link followed; the path itself when it reaches none.
    static QString kernelName(const QString &path);
    /// Whether two paths reach the same device (a stored kernel name and the link to it).
    static bool sameDevice(const QString &a, const QString &b);
    /// Whether the path reaches something that exists now.
    static bool exists(const QString &path);

private:
    QString linkIn(const QString &folder, const QString &kernel) const;

    QString m_root;
};
