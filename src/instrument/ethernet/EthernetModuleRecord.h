#pragma once

#include <QString>

/**
 * @brief An Ethernet-serial module: where to send datagrams and how it identifies itself.
 *
 * IP and MAC are kept as fixed-length texts, padded with blanks, exactly as they are stored.
 */
struct EthernetModuleRecord
{
    static constexpr int kIpLength = 20;
    static constexpr int kMacLength = 30;

    QString IP;  ///< dotted address padded to 20 characters
    int Port = 0;
    QString MAC; ///< hardware address padded to 30 characters

    /// Cuts or pads a text to a fixed length, as the fixed-length record fields do.
    static QString fixedLength(const QString &text, int length)
    {
        return text.left(length).leftJustified(length, QLatin1Char(' '));
    }
};
