#pragma once

#include "instrument/Exchange.h"

#include <QString>

/**
 * @brief The narrow way to the instrument that the table operations and the procedures use: one
 * exchange at a time, with its reply as a value.
 *
 * SendString is the reply-convention form of an exchange that the windows and procedures have
 * always judged replies by: the lines joined by CR, no LF, and "TIMEOUT", "BUSY" or "" in place of
 * an answer that did not come.
 */
class InstrumentChannel
{
public:
    virtual ~InstrumentChannel() = default;

    virtual ExchangeReply exchange(const ExchangeRequest &request) = 0;

    /// Sends a command; with WaitForAck, waits up to `timeout` seconds of silence for the reply.
    /// PacketEndCondition 0: the first line ends the reply; 1: lines are gathered up to a "*" line.
    QString SendString(const QString &Commandstring, bool WaitForAck = false, int timeout = 0,
                       int PacketEndCondition = 0);
};
