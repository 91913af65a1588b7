#pragma once

#include "platform/Gpib488.h"

#include <QByteArray>
#include <functional>

/**
 * @brief One command and its answer at a GPIB address, the device-level way: open a handle,
 * write, read, take the handle offline again, so no handle outlives the exchange.
 *
 * The command goes out unchanged with EOI on its last byte; a failed write is tried once more
 * when a listener is present. Each read goes on until the end of a message (EOI, or LF, the
 * end-of-string character), however long; with gatherUntilStatus further messages are read,
 * one read each, until one holds "*" (the instrument's status line) or a read runs out of time.
 * Each message is trimmed of blanks at both ends; the LF stays for the caller to remove.
 *
 * The GPIB transport and the bus search share this; they differ in the time-out and in what
 * they make of the result.
 */
class GpibExchange
{
public:
    enum class Result {
        Answered,   ///< something arrived (the reply may still lack its status line)
        TimedOut,   ///< written, but nothing arrived within the handle's time-out
        NoBoard,    ///< no board, a locked board or a bus error when opening: the route is unusable
        NoListener, ///< nobody listens at the address, or the bus failed while writing
        Failed,     ///< the handle or the write failed otherwise
        Overflow,   ///< the device sent more than a reply may hold
    };

    struct Request
    {
        int address = 0;
        QByteArray command;
        int timeoutCode = Gpib488::T10s;
        bool gatherUntilStatus = false;
    };

    explicit GpibExchange(Gpib488 &bus) : m_bus(bus) {}

    /// Runs the exchange; the answer so far goes to *reply even when the result is not Answered.
    Result run(const Request &request, QByteArray *reply);

    /// Called after every read with the answer gathered so far (the activity indicator).
    std::function<void(const QByteArray &soFar)> onRead;

    /// Bytes one read asks for; a longer message takes several reads.
    static constexpr long kReadChunk = 4096;
    /// Pause between the write and the first read.
    static constexpr int kWriteSettleMs = 25;

private:
    Result readMessages(int ud, bool gather, QByteArray *reply);

    Gpib488 &m_bus;
};
