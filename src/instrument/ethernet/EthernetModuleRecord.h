#pragma once

#include "instrument/ethernet/EthernetDiscoveryTarget.h"

#include <QString>

#include <optional>

/**
 * @brief An Ethernet-serial module: where to send datagrams and how it identifies itself.
 *
 * The text fields are fixed-length texts, as they are stored in the settings: a value written
 * into one is cut to the length or padded with blanks on the right. A field never written is
 * empty (a discovery reply too short to reach it leaves it so).
 */
struct EthernetModuleRecord
{
    static constexpr int kIpLength = 20;
    static constexpr int kMacLength = 30;
    static constexpr int kNameLength = 8;
    static constexpr int kReplyLength = 80;
    static constexpr int kFlagLength = 1;

    QString IP;  ///< dotted address padded to 20 characters (the sender of its discovery reply)
    int Port = 0; ///< the module's data port
    QString MAC; ///< hardware address padded to 30 characters

    QString OwnerName;   ///< 8 characters, from the discovery reply
    QString DeviceName;  ///< 8 characters, from the discovery reply
    QString EchoReply;   ///< the whole discovery reply, 80 characters
    QString IdentReply;  ///< the instrument's answer to "*IDN?" through this module, 80 characters
    QString DHCPState;   ///< "M" DHCP off, "I" address obtained, anything else failed
    QString StatusFlag5; ///< kept as the module sent it; its meaning is the module's
    QString StatusFlag3; ///< kept as the module sent it; its meaning is the module's
    /// Where its discovery reply came through (an interface's broadcast address, or its own
    /// address when asked by hand); not kept in the settings.
    std::optional<EthernetDiscoveryTarget> foundThrough;

    /// Cuts or pads a text to a fixed length, as the fixed-length record fields do.
    static QString fixedLength(const QString &text, int length)
    {
        return text.left(length).leftJustified(length, QLatin1Char(' '));
    }

    /// The address and MAC without the blanks that fill them up.
    QString ipText() const { return IP.trimmed(); }
    QString macText() const { return MAC.trimmed(); }

    /// True once a discovery reply (or the settings) gave the record an address.
    bool hasAddress() const { return !IP.isEmpty() && IP.at(0) != QChar(0); }

    /// The DHCP column of the modules list: "Off", "OK" or "Failed".
    QString dhcpText() const
    {
        if (DHCPState == QLatin1String("M"))
            return QStringLiteral("Off");
        if (DHCPState == QLatin1String("I"))
            return QStringLiteral("OK");
        return QStringLiteral("Failed");
    }
};
