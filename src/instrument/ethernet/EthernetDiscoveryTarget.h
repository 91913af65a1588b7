#pragma once

#include <QHostAddress>
#include <QString>
#include <optional>

/**
 * @brief Where discovery and module commands go: an address and a UDP port, written
 * "ADDRESS[:PORT]" in the setting "Ethernet_Discovery" and the command line's --discovery.
 *
 * Every module listens on port 32767. Left empty (the default), discovery goes to the broadcast
 * address of every interface instead; a target is for a network where that does not reach the
 * modules, or for a test or a virtual calibrator, which put a loopback address here.
 */
struct EthernetDiscoveryTarget
{
    static constexpr quint16 kDefaultPort = 32767;

    QHostAddress address;
    quint16 port = kDefaultPort;

    /// "192.168.1.255", "127.0.0.1:40000"; nothing for a text that is not an IPv4 address with
    /// an optional port from 1 to 65535.
    static std::optional<EthernetDiscoveryTarget> parse(const QString &text);
    /// The target the setting names; nothing when the setting is not usable.
    static std::optional<EthernetDiscoveryTarget> fromSettings();

    /// Whether datagrams may go to this address. With the environment variable
    /// CALSETUP_LOOPBACK_ONLY set (the test suite sets it) only loopback addresses may be reached,
    /// so no test can broadcast on a real network by mistake.
    static bool mayReach(const QHostAddress &address);

    bool operator==(const EthernetDiscoveryTarget &other) const = default;

    QString toString() const { return address.toString() + QLatin1Char(':') + QString::number(port); }
};
