#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

#include <functional>

/**
 * @brief One network interface discovery can broadcast on: its name, this computer's address on
 * it and the interface's broadcast address.
 *
 * The system sends a datagram for 255.255.255.255 out of one interface only (the default
 * route's), so a module behind a second network card hears nothing of it; discovery therefore
 * sends to each interface's own broadcast address.
 */
struct BroadcastInterface
{
    QString name;
    QHostAddress address;
    QHostAddress broadcast;

    /// "eth0 192.168.0.255": how a search names the interface it searched.
    QString label() const { return name + QLatin1Char(' ') + broadcast.toString(); }
};

/// Lists the interfaces discovery broadcasts on; the tests put loopback "interfaces" in its place.
using BroadcastInterfaceProvider = std::function<QList<BroadcastInterface>()>;

/// This computer's IPv4 interfaces that are up, can broadcast and are not loopback, one entry per
/// address with a broadcast address. Under CALSETUP_LOOPBACK_ONLY (the test suite) none that
/// could reach a real network is listed.
QList<BroadcastInterface> systemBroadcastInterfaces();
