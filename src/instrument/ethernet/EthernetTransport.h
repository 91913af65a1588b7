#pragma once

#include "instrument/ethernet/EthernetModuleRecord.h"

#include <QString>

class TransportState;

/**
 * @brief One command and its reply as UDP datagrams to the instrument's Ethernet-serial module.
 */
class EthernetTransport
{
public:
    explicit EthernetTransport(TransportState &state);
    ~EthernetTransport();

    /// The module in use (the record each driver copies in before its exchange).
    EthernetModuleRecord device;

    QString sendString(const QString &command, bool waitForAck, int timeoutSeconds, int packetEndCondition);

private:
    TransportState &m_state;
};
