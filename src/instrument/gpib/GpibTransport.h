#pragma once

#include "instrument/Reply.h"

#include <QString>
#include <memory>

class Gpib488;
class TransportState;

/**
 * @brief One command and its reply over GPIB (see GpibExchange): device handle per command,
 * write, read, offline; board 0, secondary address 0, 10 s library time-out, EOI on the last
 * byte, reads ending on LF.
 *
 * Replies: "False" when there is no board (no library either), the board is locked or the bus
 * failed on opening; "" when nobody listens at the address or nothing came in time; otherwise the
 * text read, the LF of each line kept for SendString to remove. This route always reads, even
 * when the caller does not wait for an answer; with end condition 1 and a caller that waits it
 * reads on, line by line, until the status line.
 *
 * The library's reads block the calling thread (the GUI thread) for up to the 10 s time-out; the
 * window is not repainted meanwhile.
 */
class GpibTransport
{
public:
    explicit GpibTransport(TransportState &state);
    ~GpibTransport();

    /// The bus in use; until one is set, the system's IEEE-488.2 library (loaded on first use).
    void setBus(std::shared_ptr<Gpib488> bus);
    /// Never null.
    Gpib488 *bus();

    QString sendString(int address, const QString &command, bool waitForAck, int timeoutSeconds,
                       int packetEndCondition);

    /// The reply for no board, a locked board or a bus error.
    static inline const QString kNoBoard = Reply::NoBoard;

private:
    TransportState &m_state;
    std::shared_ptr<Gpib488> m_bus;
    bool m_busy = false;
    bool m_toldUnavailable = false;
};
